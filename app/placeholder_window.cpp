#include "app/placeholder_window.h"

#include <QLabel>
#include <QVBoxLayout>

namespace rostrel {

PlaceholderWindow::PlaceholderWindow() {
  setWindowTitle("..::Kestova::.. Rostrel");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Rostrel 3.01"));
}

}  // namespace rostrel
