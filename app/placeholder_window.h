#pragma once

#include <QWidget>

namespace rostrel {

class PlaceholderWindow : public QWidget {
  Q_OBJECT
 public:
  PlaceholderWindow();
};

}  // namespace rostrel
