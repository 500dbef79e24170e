#include <gtest/gtest.h>

#include <QApplication>

#include "Platforms/Qt/PrivateSessionBus.h"

// Qt's tray icon needs a widgets application. Nothing here may reach the user's own
// session: an icon would turn up in their panel.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/velto-tests");
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  CorlaMeetings::Testing::stopTestBus();
  return result;
}
