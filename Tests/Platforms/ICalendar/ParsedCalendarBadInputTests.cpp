#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "ICalendar/ParseLimits.h"
#include "Platforms/ICalendar/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// These inputs cost libical alone seconds to minutes each; a regression shows as the test
// run's timeout, and the caps themselves as the problems reported.
std::vector<std::string> titlesIn(const ParsedCalendar& calendar, Instant from, Instant to) {
  std::vector<std::string> titles;
  for (const auto& seen : seenIn(calendar, from, to)) titles.push_back(seen.title);
  return titles;
}

std::string goodEvent(const std::string& title, int day) {
  char start[32];
  std::snprintf(start, sizeof start, "202403%02dT090000Z", day);
  return event("UID:" + title + "\nSUMMARY:" + title + "\nDTSTART:" + start);
}

TEST(ParsedCalendarBadInput, HostileInvitesCostOnlyThemselves) {
  const std::string text = fixture("hostile.ics");
  const ParseResult result = parseCalendar(text);
  ASSERT_NE(result.calendar, nullptr);

  EXPECT_THAT(titlesIn(*result.calendar, utcTime(2024, 3, 4), utcTime(2024, 3, 8)),
              ElementsAre("Good morning", "Good evening", "In a zone that ticks every minute"));
  EXPECT_THAT(titlesIn(*result.calendar, utcTime(1970, 1, 1), utcTime(1970, 1, 5)),
              ElementsAre("Every minute since 1970"));
  EXPECT_THAT(titlesIn(*result.calendar, utcTime(2025, 2, 1), utcTime(2025, 3, 31)), IsEmpty());

  const auto& problems = result.problems;
  EXPECT_THAT(problems, Contains(AllOf(HasSubstr("'minutely-count'"), HasSubstr("every 15 minutes"))));
  EXPECT_THAT(problems, Contains(AllOf(HasSubstr("'secondly'"), HasSubstr("every few seconds"))));
  EXPECT_THAT(problems, Contains(AllOf(HasSubstr("'hourly-count'"), HasSubstr("cut short"))));
  EXPECT_THAT(problems, Contains(AllOf(HasSubstr("'february-thirtieth'"), HasSubstr("no date"))));
  EXPECT_THAT(problems, Contains(AllOf(HasSubstr("'fifth-monday-first'"), HasSubstr("no date"))));
  EXPECT_THAT(problems, Contains(AllOf(HasSubstr("'daily-never'"), HasSubstr("no month"))));
  EXPECT_THAT(problems, Contains(AllOf(HasSubstr("'sixth-monday'"), HasSubstr("no date"))));
  EXPECT_THAT(problems, Contains(AllOf(HasSubstr("'Bomb Time'"), HasSubstr("not yearly"))));
}

TEST(ParsedCalendarBadInput, NulByteCostsOnlyItsLine) {
  std::string broken = event("UID:b\nSUMMARY:Bro");
  broken.insert(broken.find("Bro") + 3, std::string("\0ken", 4));
  broken.insert(broken.find("END:VEVENT"), "DTSTART:20240305T090000Z\n");
  const ParseResult result = parseCalendar(calendarWith(goodEvent("Before", 4) + broken + goodEvent("After", 6)));
  ASSERT_NE(result.calendar, nullptr);
  EXPECT_THAT(titlesIn(*result.calendar, utcTime(2024, 3, 1), utcTime(2024, 3, 10)),
              ElementsAre("Before", "<none>", "After"));
  EXPECT_THAT(result.problems, Contains(HasSubstr("NUL byte")));
}

TEST(ParsedCalendarBadInput, TruncatedTailCostsOnlyTheLastEvent) {
  std::string text = calendarWith(goodEvent("One", 4) + goodEvent("Two", 5) + goodEvent("Three", 6));
  text.resize(text.find("SUMMARY:Three"));
  const ParseResult result = parseCalendar(text);
  ASSERT_NE(result.calendar, nullptr);
  EXPECT_THAT(titlesIn(*result.calendar, utcTime(2024, 3, 1), utcTime(2024, 3, 10)), ElementsAre("One", "Two"));
  EXPECT_THAT(result.problems, ElementsAre(HasSubstr("has no END line")));
}

TEST(ParsedCalendarBadInput, BadLinesCostOnlyTheirEvent) {
  const std::string text = calendarWith(
      goodEvent("Before", 4) + event("UID:x\nSUMMARY:No start\nDTSTART:garbage\nTHIS IS NOT A PROPERTY LINE") +
      event("UID:y\nSUMMARY:Broken rule\nDTSTART:20240305T090000Z\nRRULE:FREQ=SOMETIMES\n:\n;;;") +
      "BEGIN:VEVENT\nUID:z\nSUMMARY:Unclosed\nDTSTART:20240305T100000Z\n" +  // its END is missing
      goodEvent("After", 6));
  const ParseResult result = parseCalendar(text);
  ASSERT_NE(result.calendar, nullptr);
  EXPECT_THAT(titlesIn(*result.calendar, utcTime(2024, 3, 1), utcTime(2024, 3, 10)),
              ElementsAre("Before", "Broken rule", "After"));
  EXPECT_THAT(result.problems, Contains(HasSubstr("no valid DTSTART")));
  EXPECT_THAT(result.problems, Contains(AllOf(HasSubstr("'y'"), HasSubstr("RRULE"))));
  EXPECT_THAT(result.problems, Contains(HasSubstr("has no END line")));
}

TEST(ParsedCalendarBadInput, HugeLineIsCutQuickly) {
  // Eight megabytes of description, folded as producers fold it.
  std::string description = "DESCRIPTION:https://zoom.us/j/1 ";
  while (description.size() < (8u << 20)) description += "\n " + std::string(74, 'x');
  const std::string text =
      calendarWith(goodEvent("Before", 4) + event("UID:h\nSUMMARY:Huge\nDTSTART:20240305T090000Z\n" + description));
  const ParseResult result = parseCalendar(text);
  ASSERT_NE(result.calendar, nullptr);
  const auto occurrences = result.calendar->occurrences(utcTime(2024, 3, 5), utcTime(2024, 3, 6));
  ASSERT_EQ(occurrences.size(), 1u);
  ASSERT_TRUE(occurrences[0]->notes);
  EXPECT_TRUE(occurrences[0]->notes->starts_with("https://zoom.us/j/1 "));
  EXPECT_EQ(occurrences[0]->notes->size(), ParseLimits::kMaxLineBytes - std::string("DESCRIPTION:").size());
  EXPECT_THAT(result.problems, ElementsAre(HasSubstr("cut to")));
}

TEST(ParsedCalendarBadInput, TextWithoutACalendarIsNone) {
  std::mt19937 random(42);
  std::string binary(64 << 10, '\0');
  for (char& byte : binary) byte = static_cast<char>(random() & 0xff);
  const std::string bareEvent = goodEvent("Bare", 4);
  for (const std::string& text : {std::string(), std::string("hello\r\nthis is no calendar\n"), binary, bareEvent}) {
    EXPECT_EQ(parseCalendar(text).calendar, nullptr);
  }
}

TEST(ParsedCalendarBadInput, CalendarWithoutGoodEventsIsEmpty) {
  for (const std::string& text : {calendarWith(""), calendarWith(event("SUMMARY:No start")),
                                  std::string("BEGIN:VCALENDAR\nBEGIN:VEVENT\nDTSTART:2024")}) {
    const ParseResult result = parseCalendar(text);
    ASSERT_NE(result.calendar, nullptr);
    EXPECT_EQ(result.calendar->eventCount(), 0u);
    EXPECT_THAT(result.calendar->occurrences(utcTime(1900, 1, 1), utcTime(2100, 1, 1)), IsEmpty());
  }
}

TEST(ParsedCalendarBadInput, AnyLineEndAndCaseIsRead) {
  std::string text =
      "begin:vcalendar\rBEGIN:VEvent\rUID:cr\rSummary:Old Mac\rDTSTART:20240305T090000Z\r"
      "end:vevent\rEND:VCALENDAR\r";
  const auto calendar = parsed(text);
  EXPECT_THAT(titlesIn(*calendar, utcTime(2024, 3, 5), utcTime(2024, 3, 6)), ElementsAre("Old Mac"));
}

TEST(ParsedCalendarBadInput, DeepNestingCostsOnlyItsEvent) {
  std::string nested = "BEGIN:VEVENT\nUID:deep\nDTSTART:20240305T090000Z\n";
  for (int i = 0; i < 10000; ++i) nested += "BEGIN:X-DEEP\n";
  const ParseResult result = parseCalendar(calendarWith(goodEvent("Before", 4) + nested + goodEvent("After", 6)));
  ASSERT_NE(result.calendar, nullptr);
  EXPECT_THAT(titlesIn(*result.calendar, utcTime(2024, 3, 1), utcTime(2024, 3, 10)), ElementsAre("Before", "After"));
}

TEST(ParsedCalendarBadInput, ProblemsAreCapped) {
  std::string body;
  for (int i = 0; i < 500; ++i) body += event("SUMMARY:No start");
  const ParseResult result = parseCalendar(calendarWith(body));
  ASSERT_EQ(result.problems.size(), ParseLimits::kMaxProblems + 1);
  EXPECT_EQ(result.problems.back(), "... and 400 more");
}

TEST(ParsedCalendarBadInput, OccurrencesOfOneSeriesAreCapped) {
  // Hourly for a year in one query: the cap, not 8784 occurrences.
  const auto calendar = parsed(calendarWith(event("UID:h\nSUMMARY:H\nDTSTART:20240101T000000Z\nRRULE:FREQ=HOURLY")));
  EXPECT_EQ(calendar->occurrences(utcTime(2024, 1, 1), utcTime(2025, 1, 1)).size(),
            static_cast<std::size_t>(ParseLimits::kMaxOccurrencesPerSeries));
}

}  // namespace
}  // namespace CorlaMeetings::Testing
