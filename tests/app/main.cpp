#include <gtest/gtest.h>

#include <QApplication>

#include "app/startup.h"

int main(int argc, char** argv) {
  // Linux draws the windows under test offscreen; Windows draws them with its own platform on a
  // real desktop (under Wine the offscreen platform never quits).
#ifndef _WIN32
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
  QApplication app(argc, argv);
  // The windows under test start as the program does: Polish dialogs, the stand-in font.
  rostrel::SetUpApplication(app);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
