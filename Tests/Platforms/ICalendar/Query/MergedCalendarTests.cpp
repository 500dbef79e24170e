// A vdir folder holds one event per file; merged, its calendars must answer exactly as one
// text holding the same events would, whatever kind of event each file holds.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ICalendar/Query/MergedCalendar.h"
#include "Platforms/ICalendar/Support/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

const std::vector<std::string> kEvents{
    event("UID:utc\nSUMMARY:In UTC\nDTSTART:20240305T090000Z\nDTEND:20240305T100000Z"),
    event("UID:zoned\nSUMMARY:In Berlin\nDTSTART;TZID=Europe/Berlin:20240305T090000\nDURATION:PT30M"),
    event("UID:floating\nSUMMARY:Floating\nDTSTART:20240306T090000\nDTEND:20240306T093000"),
    event("UID:day\nSUMMARY:All day\nDTSTART;VALUE=DATE:20240306\nDTEND;VALUE=DATE:20240307"),
    event("UID:fortnight\nSUMMARY:Two weeks off\nDTSTART;VALUE=DATE:20240226\nDTEND;VALUE=DATE:20240311"),
    event("UID:conference\nSUMMARY:Ten days\nDTSTART:20240228T080000Z\nDTEND:20240309T170000Z"),
    event("UID:instant\nSUMMARY:Reminder\nDTSTART:20240305T120000Z"),
    event("UID:daily\nSUMMARY:Standup\nDTSTART;TZID=Europe/Berlin:20240301T093000\nDURATION:PT15M\n"
          "RRULE:FREQ=DAILY;COUNT=10\nEXDATE;TZID=Europe/Berlin:20240305T093000") +
        event("UID:daily\nRECURRENCE-ID;TZID=Europe/Berlin:20240306T093000\nSUMMARY:Standup moved\n"
              "DTSTART;TZID=Europe/Berlin:20240306T110000\nDURATION:PT15M"),
    event("UID:orphan\nRECURRENCE-ID:20240307T080000Z\nSUMMARY:Lonely\nDTSTART:20240307T100000Z"),
};

TEST(MergedCalendar, OneEventPerCalendarAnswersAsTheEventsInOneText) {
  std::string all;
  std::vector<std::shared_ptr<const ParsedCalendar>> parts;
  for (const auto& text : kEvents) {
    all += text;
    parts.push_back(parsed(calendarWith(text)));
  }
  const auto together = parsed(calendarWith(all));
  const auto merged = mergeCalendars(parts);
  const auto mergedTwice = mergeCalendars(
      {mergeCalendars({parts.begin(), parts.begin() + 4}), mergeCalendars({parts.begin() + 4, parts.end()})});
  EXPECT_EQ(merged->eventCount(), together->eventCount());
  const struct {
    Instant start;
    Instant end;
  } windows[] = {
      {berlin(2024, 3, 5), berlin(2024, 3, 9)},          // a refresh's four days
      {berlin(2024, 3, 10), berlin(2024, 3, 11)},        // only the long events reach it
      {berlin(2024, 3, 5, 12), berlin(2024, 3, 5, 12)},  // empty
      {berlin(2024, 1, 1), berlin(2025, 1, 1)},
  };
  for (const auto& window : windows) {
    const auto expected = seenIn(*together, window.start, window.end);
    EXPECT_THAT(seenIn(*merged, window.start, window.end), ::testing::ContainerEq(expected));
    EXPECT_THAT(seenIn(*mergedTwice, window.start, window.end), ::testing::ContainerEq(expected));
  }
  EXPECT_EQ(seenIn(*merged, berlin(2024, 3, 5), berlin(2024, 3, 9)).size(), 11u);
}

}  // namespace
}  // namespace CorlaMeetings::Testing
