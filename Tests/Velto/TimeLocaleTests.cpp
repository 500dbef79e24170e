#include "TimeLocale.h"

#include <gtest/gtest.h>
#include <unicode/locid.h>

#include <map>

#include "Support/LocalTime.h"
#include "ui/DisplayText.h"

namespace CorlaMeetings::Testing {
namespace {

// A meeting from 09:00 to 09:30 as the environment's locale shows it; ICU's default is put
// back afterwards.
std::string nineOClockIn(const std::map<std::string, std::string>& environment) {
  const std::string name = timeLocaleName([&](const char* variable) -> const char* {
    auto found = environment.find(variable);
    return found == environment.end() ? nullptr : found->second.c_str();
  });
  const icu::Locale saved = icu::Locale::getDefault();
  UErrorCode status = U_ZERO_ERROR;
  icu::Locale::setDefault(icu::Locale(icuLocaleId(name).c_str()), status);
  const CalendarEvent event{.startDate = Testing::localTime(2026, 6, 10, 9, 0),
                            .endDate = Testing::localTime(2026, 6, 10, 9, 30)};
  std::string text = timeRange(event);
  icu::Locale::setDefault(saved, status);
  for (std::size_t at; (at = text.find("\u202F")) != std::string::npos;) text.replace(at, 3, " ");
  return text;
}

TEST(TimeLocale, TimesFollowLcAllThenLcTimeThenLangButNotLcMessages) {
  const struct {
    std::map<std::string, std::string> environment;
    const char* shown;
  } cases[] = {
      {{{"LANG", "en_US.UTF-8"}, {"LC_TIME", "en_GB.UTF-8"}}, "09:00-09:30"},
      {{{"LANG", "en_GB.UTF-8"}, {"LC_TIME", "en_US.UTF-8"}}, "9:00 AM-9:30 AM"},
      {{{"LC_ALL", "en_US.UTF-8"}, {"LC_TIME", "en_GB.UTF-8"}}, "9:00 AM-9:30 AM"},
      {{{"LC_ALL", ""}, {"LC_TIME", ""}, {"LANG", "de_DE@euro"}}, "09:00-09:30"},
      {{{"LANG", "en_US.utf8"}, {"LC_MESSAGES", "en_GB.UTF-8"}}, "9:00 AM-9:30 AM"},
      {{{"LC_MESSAGES", "en_GB.UTF-8"}}, "9:00 AM-9:30 AM"},  // nothing set: the C locale
  };
  for (const auto& [environment, shown] : cases) {
    EXPECT_EQ(nineOClockIn(environment), shown) << testing::PrintToString(environment);
  }
}

}  // namespace
}  // namespace CorlaMeetings::Testing
