#include <QCoreApplication>

#include <gtest/gtest.h>
#include <unicode/locid.h>

#include "Platforms/Qt/PrivateSessionBus.h"

// The Qt services need an application object and its event loop; the tests run that loop
// themselves, for bounded stretches.
int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  UErrorCode status = U_ZERO_ERROR;
  icu::Locale::setDefault(icu::Locale("en_US"), status);
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  CorlaMeetings::Testing::stopTestBus();
  return result;
}
