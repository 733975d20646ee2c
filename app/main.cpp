#include <QApplication>

#include "app/placeholder_window.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  rostrel::PlaceholderWindow window;
  window.show();
  return app.exec();
}
