#include <QCoreApplication>

#include <gtest/gtest.h>
#include <unicode/locid.h>

#include "Platforms/EDS/Support/EdsSession.h"

// Qt's event loop runs GLib's main context on Linux, as in the program: libecal answers
// through it. One private bus with EDS on it serves every test.
int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  UErrorCode status = U_ZERO_ERROR;
  icu::Locale::setDefault(icu::Locale("en_US"), status);
  testing::InitGoogleTest(&argc, argv);
  testing::AddGlobalTestEnvironment(new CorlaMeetings::Testing::EdsSession);
  return RUN_ALL_TESTS();
}
