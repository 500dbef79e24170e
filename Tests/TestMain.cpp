#include <gtest/gtest.h>
#include <unicode/locid.h>

int main(int argc, char** argv) {
  // Texts are checked in US English whatever the machine's locale; the time zone comes
  // from TZ, which the test registration sets.
  UErrorCode status = U_ZERO_ERROR;
  icu::Locale::setDefault(icu::Locale("en_US"), status);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
