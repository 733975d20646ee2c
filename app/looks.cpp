#include "app/looks.h"

#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPalette>
#include <QPushButton>
#include <QScreen>

namespace rostrel {
namespace {

// Enter and the keypad's Enter press a focused button, as in Windows programs. Qt leaves that to
// default buttons, and those are pressed by Enter anywhere in a dialog, which these windows
// never want; so the button answers the key itself. A held key presses it once: the presses the
// keyboard repeats are ignored, or an Enter that closed a message box and was held a moment too
// long would go on to press the button under it.
class EnterButton : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
      if (!event->isAutoRepeat()) click();
    } else {
      QPushButton::keyPressEvent(event);
    }
  }
};

}  // namespace

QFont CourierFont(qreal pointSize, bool bold) {
  QFont font(QStringLiteral("Courier New"));
  font.setStyleHint(QFont::TypeWriter);
  font.setPointSizeF(pointSize);
  font.setBold(bold);
  return font;
}

void SetUpWindow(QWidget* window, const QString& name, const QString& title, const QSize& twips,
                 const QColor& background) {
  window->setObjectName(name);
  window->setWindowTitle(title);
  window->setWindowIcon(QIcon(QStringLiteral(":/icons/rostrel.png")));
  window->setFixedSize(Twips(twips.width()), Twips(twips.height()));
  QPalette filled = window->palette();
  filled.setColor(QPalette::Window, background);
  window->setPalette(filled);
  window->setAutoFillBackground(true);  // said for clarity: Qt fills a top-level window anyway
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QRect& twips, const QColor& background) {
  auto* button = new EnterButton(caption, parent);
  button->setObjectName(name);
  PlaceInTwips(button, twips);
  button->setAutoDefault(false);
  button->setDefault(false);
  PaintButton(button, background);
  return button;
}

void PlaceInTwips(QWidget* control, const QRect& twips) {
  control->setGeometry(Twips(twips.x()), Twips(twips.y()), Twips(twips.width()),
                       Twips(twips.height()));
}

void PaintButton(QPushButton* button, const QColor& background) {
  const QString fill = background.name();
  button->setStyleSheet(
      QStringLiteral(
          "QPushButton { background-color: %1; color: black; border: 1px solid #808080; }"
          "QPushButton:focus { border: 2px solid black; }"
          "QPushButton:pressed { border: 2px inset #606060; }"
          "QPushButton:disabled { background-color: %1; color: #808080; }")
          .arg(fill));
}

void CentreOnScreen(QWidget* window) {
  QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  // setGeometry() places the window's inside; move() would place its frame, and the title bar
  // would push the inside below the centre.
  const QPoint topLeft = area.center() - QPoint(window->width() / 2, window->height() / 2);
  window->setGeometry(QRect(topLeft, window->size()));
}

}  // namespace rostrel
