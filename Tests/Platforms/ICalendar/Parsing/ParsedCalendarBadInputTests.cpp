// Calendars come from strangers: whatever the text, a bad part costs only itself. Inputs
// that would cost libical seconds to minutes show a regression as the test run's timeout.

#include <atomic>
#include <random>
#include <thread>

#include "ICalendar/Parsing/CalendarParser.h"
#include "ICalendar/Parsing/ParseLimits.h"
#include "Platforms/ICalendar/Support/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

std::string goodEvent(const std::string& title, int day) {
  char start[32];
  std::snprintf(start, sizeof start, "202403%02dT090000Z", day);
  return event("UID:" + title + "\nSUMMARY:" + title + "\nDTSTART:" + start);
}

TEST(ParsedCalendarBadInput, HostileInvitesCostOnlyThemselves) {
  const ParseResult result = parseCalendar(fixture("hostile.ics"));
  ASSERT_NE(result.calendar, nullptr);
  EXPECT_THAT(titlesIn(*result.calendar, utcTime(2024, 3, 4), utcTime(2024, 3, 8)),
              ElementsAre("Good morning", "Good evening", "In a zone that ticks every minute"));
  EXPECT_THAT(titlesIn(*result.calendar, utcTime(1970, 1, 1), utcTime(1970, 1, 5)),
              ElementsAre("Every minute since 1970"));
  EXPECT_THAT(titlesIn(*result.calendar, utcTime(2025, 2, 1), utcTime(2025, 3, 31)), IsEmpty());
  for (const auto& [uid, why] :
       std::vector<std::pair<std::string, std::string>>{{"'minutely-count'", "every 15 minutes"},
                                                        {"'secondly'", "every few seconds"},
                                                        {"'hourly-count'", "cut short"},
                                                        {"'february-thirtieth'", "no date"},
                                                        {"'fifth-monday-first'", "no date"},
                                                        {"'daily-never'", "no month"},
                                                        {"'sixth-monday'", "no date"},
                                                        {"'Bomb Time'", "not yearly"}}) {
    EXPECT_THAT(result.problems, Contains(AllOf(HasSubstr(uid), HasSubstr(why))));
  }
}

TEST(ParsedCalendarBadInput, BrokenEventsCostOnlyThemselves) {
  std::string nul = event("UID:n\nSUMMARY:Bro\nDTSTART:20240305T090000Z");
  nul.insert(nul.find("Bro") + 3, std::string("\0ken", 4));
  std::string deep = "BEGIN:VEVENT\nUID:deep\nDTSTART:20240305T090000Z\n";
  for (int i = 0; i < 10000; ++i) deep += "BEGIN:X-DEEP\n";
  std::string text = calendarWith(
      goodEvent("Before", 4) + nul + event("UID:x\nSUMMARY:No start\nDTSTART:garbage\nTHIS IS NOT A PROPERTY LINE") +
      event("UID:y\nSUMMARY:Broken rule\nDTSTART:20240306T090000Z\nRRULE:FREQ=SOMETIMES\n:\n;;;") +
      "BEGIN:VEVENT\nUID:z\nSUMMARY:Unclosed\nDTSTART:20240305T100000Z\n" + deep + goodEvent("After", 7) +
      goodEvent("Truncated", 8));
  text.resize(text.find("SUMMARY:Truncated"));
  const ParseResult result = parseCalendar(text);
  ASSERT_NE(result.calendar, nullptr);
  EXPECT_THAT(titlesIn(*result.calendar, utcTime(2024, 3, 1), utcTime(2024, 3, 10)),
              ElementsAre("Before", "<none>", "Broken rule", "After"));
  for (const char* noted : {"NUL byte", "no valid DTSTART", "'y' at line 20: an unreadable RRULE", "has no END line",
                            "nests components too deeply"}) {
    EXPECT_THAT(result.problems, Contains(HasSubstr(noted)));
  }
}

TEST(ParsedCalendarBadInput, TextWithoutACalendarIsNoneAndOneWithoutGoodEventsIsEmpty) {
  std::mt19937 random(42);
  std::string binary(64 << 10, '\0');
  for (char& byte : binary) byte = static_cast<char>(random() & 0xff);
  for (const std::string& text :
       {std::string(), std::string("hello\r\nthis is no calendar\n"), binary, goodEvent("Bare", 4)}) {
    EXPECT_EQ(parseCalendar(text).calendar, nullptr);
  }
  for (const std::string& text : {calendarWith(""), calendarWith(event("SUMMARY:No start")),
                                  std::string("BEGIN:VCALENDAR\nBEGIN:VEVENT\nDTSTART:2024")}) {
    const ParseResult result = parseCalendar(text);
    ASSERT_NE(result.calendar, nullptr);
    EXPECT_EQ(result.calendar->eventCount(), 0u);
  }
}

TEST(ParsedCalendarBadInput, ProblemsAndOccurrencesAreCapped) {
  std::string body = event("UID:h\nSUMMARY:H\nDTSTART:20240101T000000Z\nRRULE:FREQ=HOURLY");
  for (int i = 0; i < 500; ++i) body += event("SUMMARY:No start");
  const ParseResult result = parseCalendar(calendarWith(body));
  ASSERT_EQ(result.problems.size(), ParseLimits::kMaxProblems + 1);
  EXPECT_EQ(result.problems.back(), "... and 400 more");
  // Hourly for a year in one query: the cap, not 8784 occurrences.
  EXPECT_EQ(result.calendar->occurrences(utcTime(2024, 1, 1), utcTime(2025, 1, 1)).size(),
            static_cast<std::size_t>(ParseLimits::kMaxOccurrencesPerSeries));
}

TEST(ParsedCalendarBadInput, AnyLineEndCaseAndByteOrderMarkIsRead) {
  const std::string text =
      "\xEF\xBB\xBF"
      "begin:vcalendar\r\nVERSION:2.0\r\n"
      "BEGIN:VEVENT\r\nUID:a\r\nSummary:Folded\r\n  in two\r\nDTSTART:20240301T090000Z\r\n"
      "END:VEVENT\rBEGIN:VEvent\rUID:b\rSUMMARY:Lone CR\rDTSTART:20240302T090000Z\rend:vevent\n"
      "BEGIN:VEVENT\nUID:c\nSUMMARY:LF\nDTSTART:20240303T090000Z\nEND:VEVENT\n\n\r\nEND:VCALENDAR";
  EXPECT_THAT(titlesIn(text, utcTime(2024, 3, 1), utcTime(2024, 3, 4)), ElementsAre("Folded in two", "Lone CR", "LF"));
}

TEST(ParsedCalendarBadInput, HugeLineIsCutKeepingItsStart) {
  // A description four times the longest line, folded as producers fold it, its link early.
  std::string description = "DESCRIPTION:https://zoom.us/j/1 ";
  while (description.size() < 4 * ParseLimits::kMaxLineBytes) description += "\n " + std::string(74, 'x');
  const ParseResult result =
      parseCalendar(calendarWith(event("UID:h\nSUMMARY:Huge\nDTSTART:20240305T090000Z\n" + description)));
  ASSERT_NE(result.calendar, nullptr);
  const auto found = result.calendar->occurrences(utcTime(2024, 3, 5), utcTime(2024, 3, 6));
  ASSERT_EQ(found.size(), 1u);
  ASSERT_TRUE(found[0]->notes);
  EXPECT_TRUE(found[0]->notes->starts_with("https://zoom.us/j/1 "));
  EXPECT_EQ(found[0]->notes->size(), ParseLimits::kMaxLineBytes - std::string("DESCRIPTION:").size());
  EXPECT_THAT(result.problems, ElementsAre(HasSubstr("cut to")));
}

// Parsing on workers while another thread queries: both use libical and ICU zones. The
// results must be those of the quiet case; under a thread sanitizer this also checks the
// locking.
TEST(ParsedCalendarBadInput, ParsingOnWorkersWhileQueryingGivesTheQuietResults) {
  const std::string text = fixture("custom-zone.ics");
  const auto queried = parsed(fixture("overrides.ics"));
  const auto expectedQuery = seenIn(*queried, berlin(2024, 3, 1), berlin(2024, 4, 1));
  const auto expectedParse = seenIn(text, berlin(2024, 3, 1), berlin(2024, 4, 1));
  ASSERT_FALSE(expectedQuery.empty());
  std::atomic<bool> parsedAlike = true;
  std::vector<std::thread> workers;
  for (int w = 0; w < 2; ++w) {
    workers.emplace_back([&] {
      for (int i = 0; i < 40; ++i) {
        const ParseResult result = parseCalendar(text);
        if (!result.calendar || seenIn(*result.calendar, berlin(2024, 3, 1), berlin(2024, 4, 1)) != expectedParse) {
          parsedAlike = false;
        }
      }
    });
  }
  for (int i = 0; i < 80; ++i) EXPECT_EQ(seenIn(*queried, berlin(2024, 3, 1), berlin(2024, 4, 1)), expectedQuery);
  for (auto& worker : workers) worker.join();
  EXPECT_TRUE(parsedAlike);
}

}  // namespace
}  // namespace CorlaMeetings::Testing
