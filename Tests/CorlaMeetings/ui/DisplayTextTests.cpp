#include "ui/DisplayText.h"

#include <gtest/gtest.h>
#include <unicode/locid.h>

#include <chrono>
#include <string>

#include "CorlaMeetings/ui/ViewTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

// Newer locale data puts a narrow no-break space before AM/PM; the tests read it as a space.
std::string withPlainSpaces(std::string text) {
  for (std::size_t at; (at = text.find("\u202F")) != std::string::npos;) text.replace(at, 3, " ");
  return text;
}

TEST(StartsInText, ReadsMinutesThenHoursAndMinutes) {
  const struct {
    Duration untilStart;
    const char* text;
    // clang-format off
  } cases[] = {
      {-300s, "Starts now"},          {0s, "Starts now"},  {59900ms, "Starts now"}, {60s, "In 1m"},
      {119s, "In 1m"},                {3599s, "In 59m"},   {3600s, "In 1h 0m"},     {3660s, "In 1h 1m"},
      {7199s, "In 1h 59m"},           {259200s, "In 72h 0m"}, {Duration::min(), "Starts now"},
      {Duration::max(), "In 2562047788h 0m"},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(startsInText(c.untilStart), c.text) << c.untilStart.count();
}

TEST(TimeRange, JoinsShortLocalTimesWithAHyphenAndNoDate) {
  CalendarEvent event{.startDate = localTime(2026, 6, 10, 9, 0), .endDate = localTime(2026, 6, 10, 9, 30)};
  EXPECT_EQ(withPlainSpaces(timeRange(event)), "9:00 AM-9:30 AM");
  event = {.startDate = localTime(2026, 6, 10, 23, 30), .endDate = localTime(2026, 6, 11, 0, 30)};
  EXPECT_EQ(withPlainSpaces(timeRange(event)), "11:30 PM-12:30 AM");
}

TEST(TimeRange, FollowsAChangeOfTheUsersZoneOrLocale) {
  using namespace std::chrono;
  const Instant noonUtc = sys_days(year(2026) / 6 / 10) + 12h;
  const CalendarEvent event{.startDate = noonUtc, .endDate = noonUtc + 30min};
  const std::string before = timeRange(event);
  {
    Testing::ScopedDefaultZone tokyo("Asia/Tokyo");
    EXPECT_EQ(withPlainSpaces(timeRange(event)), "9:00 PM-9:30 PM");
    const icu::Locale saved = icu::Locale::getDefault();
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale("de_DE"), status);
    EXPECT_EQ(timeRange(event), "21:00-21:30");
    icu::Locale::setDefault(saved, status);
  }
  EXPECT_EQ(timeRange(event), before);
}

TEST(TruncatedWithEllipsis, CutsOnlyLongerTextAndNeverSplitsACharacter) {
  const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";  // one character
  std::string eighteenFamilies;
  for (int i = 0; i < 18; ++i) eighteenFamilies += family;
  const struct {
    std::string text, cut;
    // clang-format off
  } cases[] = {
      {"abcdefghijklmnopqr", "abcdefghijklmnopqr"},
      {"abcdefghijklmnopqrs", "abcdefghijklmnopq\u2026"},
      {eighteenFamilies, eighteenFamilies},
      {eighteenFamilies + "x", eighteenFamilies.substr(0, 17 * family.size()) + "\u2026"},
      {"abcdefghijklmnope\u0301rs", "abcdefghijklmnope\u0301\u2026"},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(truncatedWithEllipsis(c.text, 18), c.cut) << c.text;
}

TEST(CleanedMeetingName, DropsEveryCancellationMarkThenTrimsAndCuts) {
  const struct {
    const char* title;
    const char* cleaned;
    // clang-format off
  } cases[] = {
      {"Cancelled: Design review", "Design review"},
      {"Sync Canceled: moved Canceled:", "Sync  moved"},
      {"Canceled: Cancelled: Retro", "Retro"},
      {"CanCanceled:celed: x", "Canceled: x"},  // one pass: the join is not searched again
      {"  Planning \n", "Planning"},
      {"Weekly team sync and notes", "Weekly team sync \u2026"},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(cleanedMeetingName(c.title, 18), c.cleaned) << c.title;
}

TEST(DisplayText, TakesMalformedUtf8) {
  const std::string broken = "\xFF\xFE Canceled: \xC3 \xE2\x82 \xF0\x9F\x98 \xED\xA0\x80";
  EXPECT_GT(characterCount(broken), 0u);
  EXPECT_FALSE(trimmingWhitespace(broken).empty());
  EXPECT_LE(characterCount(truncatedWithEllipsis(broken, 5)), 5u);
  EXPECT_LE(characterCount(cleanedMeetingName(broken, 5)), 5u);
}

}  // namespace
}  // namespace CorlaMeetings::Testing
