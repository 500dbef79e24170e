#include "TimeLocale.h"

#include <unicode/locid.h>

#include <cstdlib>

namespace CorlaMeetings {

std::string timeLocaleName(const EnvironmentLookup& environment) {
  for (const char* name : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* value = environment(name);
    if (value && *value) return value;
  }
  return "C";
}

std::string icuLocaleId(std::string_view posixName) {
  // language[_territory][.codeset][@modifier]: ICU wants neither of the last two.
  std::string_view name = posixName.substr(0, posixName.find_first_of(".@"));
  if (name == "C" || name == "POSIX") return "en_US_POSIX";
  return std::string(name);
}

void useTimeLocaleOfEnvironment() {
  const std::string id = icuLocaleId(timeLocaleName([](const char* name) { return std::getenv(name); }));
  UErrorCode status = U_ZERO_ERROR;
  icu::Locale::setDefault(icu::Locale(id.c_str()), status);
}

}  // namespace CorlaMeetings
