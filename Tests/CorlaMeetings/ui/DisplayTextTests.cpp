#include "ui/DisplayText.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "CorlaMeetings/ui/ViewTestSupport.h"

namespace CorlaMeetings {
namespace {

using viewtest::localTime;

// Newer locale data puts a narrow no-break space before AM/PM; the tests read it as a space.
std::string withPlainSpaces(std::string text) {
  for (std::size_t at; (at = text.find("\u202F")) != std::string::npos;) text.replace(at, 3, " ");
  return text;
}

TEST(StartsInText, ReadsMinutesThenHoursAndMinutes) {
  const struct {
    double seconds;
    const char* text;
  } cases[] = {
      {-300, "Starts now"}, {0, "Starts now"},    {59.9, "Starts now"},   {60, "In 1m"},
      {119, "In 1m"},       {3599, "In 59m"},     {3600, "In 1h 0m"},     {3660, "In 1h 1m"},
      {7199, "In 1h 59m"},  {90000, "In 25h 0m"}, {259200, "In 72h 0m"},
  };
  for (const auto& c : cases) EXPECT_EQ(startsInText(c.seconds), c.text) << c.seconds;
}

TEST(StartsInText, SurvivesNumbersNoMeetingHas) {
  EXPECT_EQ(startsInText(std::numeric_limits<double>::quiet_NaN()), "Starts now");
  EXPECT_EQ(startsInText(std::numeric_limits<double>::infinity()), "Starts now");
  EXPECT_EQ(startsInText(-std::numeric_limits<double>::infinity()), "Starts now");
  EXPECT_EQ(startsInText(1e15 * 3600), "In 1000000000000000h 0m");
  EXPECT_EQ(startsInText(std::numeric_limits<double>::max()).substr(0, 3), "In ");
}

TEST(TimeRange, JoinsShortLocalTimesWithAHyphen) {
  CalendarEvent event;
  event.startDate = localTime(2026, 6, 10, 9, 0);
  event.endDate = localTime(2026, 6, 10, 9, 30);
  EXPECT_EQ(withPlainSpaces(timeRange(event)), "9:00 AM-9:30 AM");
}

TEST(TimeRange, ShowsNoDateAcrossMidnight) {
  CalendarEvent event;
  event.startDate = localTime(2026, 6, 10, 23, 30);
  event.endDate = localTime(2026, 6, 11, 0, 30);
  EXPECT_EQ(withPlainSpaces(timeRange(event)), "11:30 PM-12:30 AM");
}

TEST(DayHeading, NamesTheLocalDay) {
  // Just after and just before local midnight: in UTC these fall on the neighbouring days
  // in one of the two zones the tests run in.
  EXPECT_EQ(dayHeading(localTime(2025, 12, 5, 0, 30)), "Fri, Dec 5");
  EXPECT_EQ(dayHeading(localTime(2025, 12, 5, 23, 30)), "Fri, Dec 5");
}

TEST(TrimmingWhitespace, RemovesUnicodeSpacesAndLineBreaksAtBothEnds) {
  EXPECT_EQ(trimmingWhitespace(" \t\r\n\u00A0Room 4\u2028\u3000\u0085"), "Room 4");
  EXPECT_EQ(trimmingWhitespace("Room\u00A0\n4"), "Room\u00A0\n4");
  EXPECT_EQ(trimmingWhitespace(" \n\u2029 "), "");
  EXPECT_EQ(trimmingWhitespace(""), "");
}

TEST(CharacterCount, CountsWhatReadersSeeAsOneCharacter) {
  EXPECT_EQ(characterCount("abc"), 3u);
  EXPECT_EQ(characterCount("e\u0301"), 1u);                                   // e + combining acute
  EXPECT_EQ(characterCount("\U0001F468\u200D\U0001F469\u200D\U0001F467"), 1u);  // family, joined
  EXPECT_EQ(characterCount(""), 0u);
}

TEST(TruncatedWithEllipsis, CutsOnlyTextLongerThanTheLimit) {
  EXPECT_EQ(truncatedWithEllipsis("abcdefghijklmnopqr", 18), "abcdefghijklmnopqr");
  EXPECT_EQ(truncatedWithEllipsis("abcdefghijklmnopqrs", 18), "abcdefghijklmnopq\u2026");
}

TEST(TruncatedWithEllipsis, NeverSplitsACharacter) {
  const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";
  std::string eighteen;
  for (int i = 0; i < 18; ++i) eighteen += family;
  EXPECT_EQ(truncatedWithEllipsis(eighteen, 18), eighteen);

  std::string seventeen = eighteen.substr(0, 17 * family.size());
  EXPECT_EQ(truncatedWithEllipsis(eighteen + "x", 18), seventeen + "\u2026");

  EXPECT_EQ(truncatedWithEllipsis("abcde\u0301fg", 6), "abcde\u0301\u2026");
}

TEST(CleanedMeetingName, DropsCancellationMarksTrimsAndCuts) {
  const struct {
    const char* title;
    const char* cleaned;
  } cases[] = {
      {"Canceled: Weekly sync", "Weekly sync"},
      {"Cancelled: Design review", "Design review"},
      {"canceled: Demo", "canceled: Demo"},
      {"Cancelled:", ""},
      {"Sync Canceled: moved Canceled:", "Sync  moved"},
      {"Canceled: Cancelled: Retro", "Retro"},
      {"CanCanceled:celed: x", "Canceled: x"},  // one pass: the join is not searched again
      {"  Planning \n", "Planning"},
      {"Untitled meeting", "Untitled meeting"},
      {"Quarterly planning and budget review", "Quarterly plannin\u2026"},
      {"Weekly team sync and notes", "Weekly team sync \u2026"},
  };
  for (const auto& c : cases) EXPECT_EQ(cleanedMeetingName(c.title, 18), c.cleaned) << c.title;
}

TEST(CleanedMeetingName, HeaderLimitKeepsThirtyCharacters) {
  const std::string thirty = "Canceled: 123456789012345678901234567890";
  EXPECT_EQ(cleanedMeetingName(thirty, 30), "123456789012345678901234567890");
  EXPECT_EQ(cleanedMeetingName(thirty + "1", 30), "12345678901234567890123456789\u2026");
}

TEST(Lowercased, ChangesAsciiLettersOnly) {
  EXPECT_EQ(lowercased("ACME.Zoom.US"), "acme.zoom.us");
  EXPECT_EQ(lowercased("\u00C9T\u00C9"), "\u00C9t\u00C9");
}

TEST(DisplayText, TakesMalformedUtf8) {
  const std::string broken = "\xFF\xFE Canceled: \xC3 \xE2\x82 \xF0\x9F\x98 \xED\xA0\x80";
  EXPECT_GT(characterCount(broken), 0u);
  EXPECT_FALSE(trimmingWhitespace(broken).empty());
  EXPECT_LE(characterCount(truncatedWithEllipsis(broken, 5)), 5u);
  EXPECT_LE(characterCount(cleanedMeetingName(broken, 5)), 5u);
  EXPECT_EQ(lowercased(broken).size(), broken.size());
}

}  // namespace
}  // namespace CorlaMeetings
