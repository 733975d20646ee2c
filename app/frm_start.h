#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace rostrel {

// The start window: the author's notice, shown before the main window and again by "?".
// Enter and Escape in the notice box do not close it; "OK" (clicked, or Enter while it has the
// focus) and the close box do.
class frmStart : public QDialog {
  Q_OBJECT
 public:
  // The notice as the program carries it: six lines, each ending in a blank and CR LF.
  static const char* const kNotice;

  explicit frmStart(QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QPlainTextEdit* Text1;
  QPushButton* cmdOK;
};

}  // namespace rostrel
