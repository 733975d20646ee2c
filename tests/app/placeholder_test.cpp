#include <QApplication>
#include <gtest/gtest.h>

#include "app/placeholder_window.h"

TEST(Placeholder, HasTheMainCaption) {
  rostrel::PlaceholderWindow w;
  EXPECT_EQ(w.windowTitle().toStdString(), "..::Kestova::.. Rostrel");
}

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
