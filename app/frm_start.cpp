#include "app/frm_start.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/looks.h"

namespace rostrel {

const char* const frmStart::kNotice =
    "Autor programu dołożył NAJWIĘKSZYCH starań, aby program \r\n"
    "działał prawidłowo w zakresie technicznym i merytorycznym. \r\n"
    "Ponieważ program jest tworem myśli ludzkiej, nie można \r\n"
    "wykluczyć, że nie jest wolny od błędów. Z tego powodu autor \r\n"
    "nie ponosi żadnej odpowiedzialności za jakiekolwiek szkody \r\n"
    "materialne i niematerialne. \r\n";

frmStart::frmStart(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
  SetUpWindow(this, QStringLiteral("frmStart"), QStringLiteral("..::Kestova::.. - Rostrel"),
              QSize(6825, 6360), QColor(255, 255, 0));
  // The notice is not a window the program lives in: closing it must never end the program.
  setAttribute(Qt::WA_QuitOnClose, false);

  Text1 = new QPlainTextEdit(this);
  Text1->setObjectName(QStringLiteral("Text1"));
  PlaceInTwips(Text1, QRect(165, 113, 6495, 5415));
  Text1->setFont(CourierFont(8.25));
  Text1->setStyleSheet(QStringLiteral("QPlainTextEdit { background-color: rgb(255, 255, 128); }"));
  Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Qt keeps line ends as paragraph breaks; a CR left in the text would show as a glyph.
  Text1->setPlainText(QString::fromUtf8(kNotice).replace(QStringLiteral("\r\n"), "\n"));
  Text1->setReadOnly(true);
  Text1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

  cmdOK = MakeButton(this, QStringLiteral("cmdOK"), QStringLiteral("OK"),
                     QRect(3000, 5760, 840, 495), QColor(0, 255, 0));
  connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

  Text1->setFocus();
}

void frmStart::keyPressEvent(QKeyEvent* event) {
  // QDialog would close on Escape and press a default button on Enter; this window has neither.
  switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      event->accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

}  // namespace rostrel
