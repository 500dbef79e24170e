#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace CorlaMeetings {

// Looks an environment variable up: its value, or null when it is not set.
using EnvironmentLookup = std::function<const char*(const char* name)>;

// The locale that times and day headings follow, as every program here picks it: LC_ALL,
// else LC_TIME, else LANG, the first that is set and not empty; "C" when none is. (ICU on
// its own would follow LC_MESSAGES.)
std::string timeLocaleName(const EnvironmentLookup& environment);

// The ICU locale id of a POSIX locale name: "en_GB.UTF-8" gives "en_GB", "de_DE@euro"
// gives "de_DE", and "C" and "POSIX" give "en_US_POSIX", as ICU itself reads them.
std::string icuLocaleId(std::string_view posixName);

// Makes the environment's time locale ICU's default. At start-up, before anything is
// formatted; the C library's own locales need not be installed for it.
void useTimeLocaleOfEnvironment();

}  // namespace CorlaMeetings
