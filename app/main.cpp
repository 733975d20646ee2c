#include <QApplication>

#include "app/frm_main.h"
#include "app/qt_prompter.h"
#include "app/startup.h"

int main(int argc, char* argv[]) {
  rostrel::AnswerCommandLine(argc, argv);
  QApplication app(argc, argv);
  rostrel::SetUpApplication(app);
  rostrel::ReadCommandLine(app);
  rostrel::QtPrompter prompter;
  rostrel::frmMain window(prompter);
  rostrel::RunStartUp(window);
  return app.exec();
}
