#include "Qt/QtApplication.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

namespace CorlaMeetings {
namespace {

TEST(QtApplication, TerminateBeforeTheLoopRunsStillEndsIt) {
  QtApplication application;
  application.terminate();

  QTimer fallback;  // a stuck loop fails the test instead of hanging it
  fallback.setSingleShot(true);
  QObject::connect(&fallback, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  fallback.start(3000);
  EXPECT_EQ(QCoreApplication::exec(), 0);
}

}  // namespace
}  // namespace CorlaMeetings
