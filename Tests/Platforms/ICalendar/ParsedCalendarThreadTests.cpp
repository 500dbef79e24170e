#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "Platforms/ICalendar/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

// Parsing on workers while another thread queries: both use libical (the parser, the
// recurrence iterator) and ICU zones. The results must be those of the quiet case, and
// nothing may crash; run under a thread sanitizer this also checks the locking.
TEST(ParsedCalendarThreads, ParsingOnWorkersWhileQueryingGivesTheQuietResults) {
  const std::string text = fixture("custom-zone.ics");
  const std::string series = calendarWith(
      event("UID:s\nSUMMARY:S\nDTSTART;TZID=W. Europe Standard Time:20240101T090000\nRRULE:FREQ=WEEKLY;BYDAY=MO,TH") +
      event("UID:s\nRECURRENCE-ID;TZID=W. Europe Standard Time:20240311T090000\nSUMMARY:Moved\n"
            "DTSTART;TZID=W. Europe Standard Time:20240311T150000") +
      event("UID:c\nSUMMARY:C\nDTSTART;VALUE=DATE:20240101\nRRULE:FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1;COUNT="
            "40"));
  const auto queried = parsed(series);
  const auto expectedQuery = seenIn(*queried, berlin(2024, 3, 1), berlin(2024, 4, 1));
  const auto expectedParse = seenIn(text, berlin(2024, 3, 1), berlin(2024, 4, 1));
  ASSERT_FALSE(expectedQuery.empty());

  std::atomic<bool> parsedAlike = true;
  std::vector<std::thread> workers;
  for (int w = 0; w < 2; ++w) {
    workers.emplace_back([&] {
      for (int i = 0; i < 40; ++i) {
        const ParseResult result = parseCalendar(i % 2 ? text : series);
        if (!result.calendar) parsedAlike = false;
        if (i % 2 && seenIn(*result.calendar, berlin(2024, 3, 1), berlin(2024, 4, 1)) != expectedParse) {
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
