#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/frm_main.h"

namespace rostrel::testing {

// Runs `handle` on the next modal window as soon as it is shown, from inside its event loop:
// the way to look at (and close) a dialog that a click opens and waits on. The returned flag
// turns true once `handle` has run, and stays false when no modal window shows within ten
// seconds.
inline std::shared_ptr<bool> WhenModal(std::function<void(QWidget*)> handle) {
  auto handled = std::make_shared<bool>(false);
  auto* poll = new QTimer;
  poll->setInterval(5);
  const QDeadlineTimer deadline(10000);
  QObject::connect(poll, &QTimer::timeout, [poll, handle, handled, deadline] {
    QWidget* modal = QApplication::activeModalWidget();
    const bool shown = modal && modal->isVisible();
    if (!shown && !deadline.hasExpired()) return;
    poll->stop();
    poll->deleteLater();
    if (shown) {
      *handled = true;
      handle(modal);
    } else if (modal) {
      modal->close();  // never shown: end its wait all the same, so that the test fails, not hangs
    }
  });
  poll->start();
  return handled;
}

template <typename T = QWidget>
T* Child(const QWidget& window, const char* name) {
  return window.findChild<T*>(QString::fromLatin1(name));
}

// Clicks a button with the mouse, as a user would; a disabled button takes no click.
inline void Click(const QWidget& window, const char* button) {
  QPushButton* b = Child<QPushButton>(window, button);
  ASSERT_NE(b, nullptr) << button;
  QTest::mouseClick(b, Qt::LeftButton);
}

// The lines a list of the main window shows.
inline std::vector<std::string> Lines(const QWidget& window, const char* list) {
  std::vector<std::string> lines;
  const auto* view = Child<QListView>(window, list);
  if (!view) return lines;
  const auto* model = view->model();
  for (int row = 0; row < model->rowCount(); ++row)
    lines.push_back(model->index(row, 0).data().toString().toStdString());
  return lines;
}

inline bool Enabled(const QWidget& window, const char* name) {
  const QWidget* w = Child(window, name);
  return w && w->isEnabled();
}

// The colour a widget is drawn with at one of its points.
inline QColor ColourAt(QWidget* widget, QPoint at) {
#ifdef _WIN32
  // Windows' own style paints a text box with a style sheet white into a pixmap, while the
  // screen shows the sheet's colour; so there the colour is read off the screen.
  QWidget* window = widget->window();
  if (!QTest::qWaitForWindowExposed(window)) return {};
  QApplication::processEvents();
  const QPoint inWindow = widget->mapTo(window, at);
  const QPixmap shot =
      widget->screen()->grabWindow(window->winId(), inWindow.x(), inWindow.y(), 1, 1);
  return shot.toImage().pixelColor(0, 0);
#else
  const QPixmap picture = widget->grab();
  return picture.toImage().pixelColor(at * picture.devicePixelRatio());
#endif
}

}  // namespace rostrel::testing
