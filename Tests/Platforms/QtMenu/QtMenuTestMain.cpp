#include <gtest/gtest.h>
#include <unicode/locid.h>
#include <QApplication>

// Widgets need a QApplication; the registration runs these on the offscreen platform, so no
// display is needed. Texts are checked in US English whatever the machine's locale.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  UErrorCode status = U_ZERO_ERROR;
  icu::Locale::setDefault(icu::Locale("en_US"), status);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
