#include "Qt/QtApplication.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

namespace CorlaMeetings::Testing {
namespace {

TEST(QtApplication, TerminateBeforeTheLoopRunsStillEndsIt) {
  QtApplication application;
  application.terminate();
  QTimer::singleShot(3000, [] { QCoreApplication::exit(1); });  // a stuck loop fails instead of hanging
  EXPECT_EQ(QCoreApplication::exec(), 0);
}

}  // namespace
}  // namespace CorlaMeetings::Testing
