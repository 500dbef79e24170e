#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Platforms/ICalendar/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::shared_ptr<const CalendarEvent> only(const std::string& text, Instant from, Instant to) {
  const auto occurrences = parsed(text)->occurrences(from, to);
  EXPECT_EQ(occurrences.size(), 1u);
  return occurrences.empty() ? std::make_shared<const CalendarEvent>() : occurrences.front();
}

TEST(ParsedCalendarEvents, PropertiesBecomeTheEventsTexts) {
  const auto occurrence =
      only(calendarWith(event("UID:team-sync@example.com\nSUMMARY:Team sync\\, weekly\n"
                              "LOCATION:Room 4\\; 2nd floor\nDESCRIPTION:Join:\\nhttps://zoom.us/j/123\n"
                              "URL:https://example.com/a?b=c\\,d\nDTSTART:20240115T090000Z\nDTEND:20240115T093000Z")),
           utcTime(2024, 1, 15), utcTime(2024, 1, 16));
  EXPECT_EQ(occurrence->eventIdentifier, "team-sync@example.com");
  EXPECT_EQ(occurrence->title, "Team sync, weekly");
  EXPECT_EQ(occurrence->location, "Room 4; 2nd floor");
  EXPECT_EQ(occurrence->notes, "Join:\nhttps://zoom.us/j/123");
  EXPECT_EQ(occurrence->URL, "https://example.com/a?b=c\\,d");  // as written
  EXPECT_FALSE(occurrence->isAllDay);
}

TEST(ParsedCalendarEvents, AbsentPropertiesStayAbsent) {
  const auto occurrence =
      only(calendarWith(event("DTSTART:20240115T090000Z")), utcTime(2024, 1, 15), utcTime(2024, 1, 16));
  EXPECT_EQ(occurrence->eventIdentifier, std::nullopt);
  EXPECT_EQ(occurrence->title, std::nullopt);
  EXPECT_EQ(occurrence->location, std::nullopt);
  EXPECT_EQ(occurrence->notes, std::nullopt);
  EXPECT_EQ(occurrence->URL, std::nullopt);
}

TEST(ParsedCalendarEvents, InvalidUtf8IsReplaced) {
  const auto occurrence =
      only(calendarWith(event("UID:u\nSUMMARY:Caf\xE9 \xF0\x9F\x98\x80 ok\nDTSTART:20240115T090000Z")),
           utcTime(2024, 1, 15), utcTime(2024, 1, 16));
  EXPECT_EQ(occurrence->title, "Caf\xEF\xBF\xBD \xF0\x9F\x98\x80 ok");
}

TEST(ParsedCalendarEvents, CancelledEventsAreKept) {
  const auto occurrence = only(calendarWith(event("UID:c\nSUMMARY:Cancelled: Review\nSTATUS:CANCELLED\n"
                                                  "DTSTART:20240115T090000Z")),
                               utcTime(2024, 1, 15), utcTime(2024, 1, 16));
  EXPECT_EQ(occurrence->title, "Cancelled: Review");
}

TEST(ParsedCalendarEvents, LengthComesFromDtendDurationOrTheDefault) {
  struct Case {
    const char* properties;
    Instant start;
    Instant end;
    bool allDay;
  };
  const Case cases[] = {
      {"DTSTART;TZID=Europe/Berlin:20240305T100000\nDTEND;TZID=Europe/Berlin:20240305T113000", berlin(2024, 3, 5, 10),
       berlin(2024, 3, 5, 11, 30), false},
      {"DTSTART;TZID=Europe/Berlin:20240305T100000\nDTEND;TZID=America/New_York:20240305T060000",
       berlin(2024, 3, 5, 10), berlin(2024, 3, 5, 12), false},
      {"DTSTART;TZID=Europe/Berlin:20240305T100000\nDURATION:PT45M", berlin(2024, 3, 5, 10), berlin(2024, 3, 5, 10, 45),
       false},
      // A nominal day keeps the wall-clock time across the change to summer time.
      {"DTSTART;TZID=Europe/Berlin:20240330T100000\nDURATION:P1DT2H", berlin(2024, 3, 30, 10), berlin(2024, 3, 31, 12),
       false},
      {"DTSTART;TZID=Europe/Berlin:20240305T100000", berlin(2024, 3, 5, 10), berlin(2024, 3, 5, 10), false},
      {"DTSTART;VALUE=DATE:20240305", berlin(2024, 3, 5), berlin(2024, 3, 6), true},
      {"DTSTART;VALUE=DATE:20240305\nDTEND;VALUE=DATE:20240308", berlin(2024, 3, 5), berlin(2024, 3, 8), true},
      {"DTSTART;VALUE=DATE:20240305\nDURATION:P2D", berlin(2024, 3, 5), berlin(2024, 3, 7), true},
      // The all-day day of the clock change is 23 hours long and ends at local midnight.
      {"DTSTART;VALUE=DATE:20240331\nDTEND;VALUE=DATE:20240401", berlin(2024, 3, 31), berlin(2024, 4, 1), true},
      // Ending before it starts: no length.
      {"DTSTART;TZID=Europe/Berlin:20240305T100000\nDTEND;TZID=Europe/Berlin:20240305T090000", berlin(2024, 3, 5, 10),
       berlin(2024, 3, 5, 10), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.properties);
    const auto seen = seenIn(calendarWith(event(std::string("UID:l\nSUMMARY:L\n") + c.properties)), berlin(2024, 3, 1),
                             berlin(2024, 4, 5));
    EXPECT_THAT(seen, ElementsAre(Seen{"L", c.start, c.end, c.allDay}));
  }
}

TEST(ParsedCalendarEvents, IdentifierIsTheUidOrThatOfTheOccurrence) {
  const auto calendar = parsed(calendarWith(
      event("UID:single\nSUMMARY:Single\nDTSTART:20240115T090000Z") +
      event("UID:daily\nSUMMARY:Daily\nDTSTART;TZID=Europe/Berlin:20240115T100000\nRRULE:FREQ=DAILY;COUNT=2") +
      event("UID:dated\nSUMMARY:Dated\nDTSTART:20240115T110000Z\nRDATE:20240116T110000Z") +
      event("SUMMARY:Nameless\nDTSTART;TZID=Europe/Berlin:20240115T120000\nRRULE:FREQ=DAILY;COUNT=1")));
  std::vector<std::pair<std::string, std::optional<std::string>>> identifiers;
  for (const auto& seen : seenIn(*calendar, utcTime(2024, 1, 15), utcTime(2024, 1, 17))) {
    identifiers.emplace_back(seen.title, seen.identifier);
  }
  using Id = std::pair<std::string, std::optional<std::string>>;
  EXPECT_THAT(identifiers, ElementsAre(Id{"Daily", "daily/20240115T090000Z"}, Id{"Single", "single"},
                                       Id{"Dated", "dated/20240115T110000Z"}, Id{"Nameless", std::nullopt},
                                       Id{"Daily", "daily/20240116T090000Z"}, Id{"Dated", "dated/20240116T110000Z"}));
}

TEST(ParsedCalendarEvents, WindowHoldsWhatOverlapsIt) {
  const auto calendar =
      parsed(calendarWith(event("UID:1\nSUMMARY:Ends at the start\nDTSTART:20240115T080000Z\nDTEND:20240115T090000Z") +
                          event("UID:2\nSUMMARY:Starts at the end\nDTSTART:20240115T100000Z\nDTEND:20240115T110000Z") +
                          event("UID:3\nSUMMARY:Overnight\nDTSTART:20240114T220000Z\nDTEND:20240115T093000Z") +
                          event("UID:4\nSUMMARY:Around\nDTSTART:20240101T000000Z\nDTEND:20240201T000000Z") +
                          event("UID:5\nSUMMARY:Instant at the start\nDTSTART:20240115T090000Z") +
                          event("UID:6\nSUMMARY:Instant at the end\nDTSTART:20240115T100000Z")));
  std::vector<std::string> titles;
  for (const auto& seen : seenIn(*calendar, utcTime(2024, 1, 15, 9), utcTime(2024, 1, 15, 10))) {
    titles.push_back(seen.title);
  }
  EXPECT_THAT(titles, ElementsAre("Around", "Overnight", "Instant at the start"));
}

TEST(ParsedCalendarEvents, ManySingleEventsAreFoundByTheirWindow) {
  // One event an hour for a year, some of them long: every window sees exactly its own.
  std::string body;
  for (int i = 0; i < 24 * 366; ++i) {
    const Instant start = utcTime(2024, 1, 1) + std::chrono::hours(i);
    const auto day = std::chrono::floor<std::chrono::days>(start);
    const std::chrono::year_month_day date(std::chrono::sys_days{day});
    char line[160];
    std::snprintf(line, sizeof line, "UID:e%d\nSUMMARY:E%d\nDTSTART:%04d%02u%02uT%02d0000Z\nDURATION:%s", i, i,
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>((start - day) / std::chrono::hours(1)), i % 1000 == 0 ? "P20D" : "PT30M");
    body += event(line);
  }
  const auto calendar = parsed(calendarWith(body));
  EXPECT_EQ(calendar->eventCount(), 24u * 366u);
  // 5 July 00:00 to 06:00: six half-hour events, and event 4000's twenty days (from 16 June).
  EXPECT_EQ(seenIn(*calendar, utcTime(2024, 7, 5), utcTime(2024, 7, 5, 6)).size(), 7u);
  EXPECT_EQ(seenIn(*calendar, utcTime(2024, 7, 5, 0, 30), utcTime(2024, 7, 5, 1)).size(), 1u);
}

TEST(ParsedCalendarEvents, MergedCalendarsAnswerAsOne) {
  const auto a = parsed(calendarWith(event("UID:a\nSUMMARY:A\nDTSTART:20240115T090000Z")));
  const auto b = parsed(calendarWith(event("UID:b\nSUMMARY:B\nDTSTART;VALUE=DATE:20240115") +
                                     event("UID:s\nSUMMARY:S\nDTSTART:20240101T090000Z\nRRULE:FREQ=WEEKLY") +
                                     event("UID:s\nRECURRENCE-ID:20240108T090000Z\nSUMMARY:S2\n"
                                           "DTSTART:20240108T100000Z")));
  const auto merged = mergeCalendars({a, nullptr, mergeCalendars({b})});
  EXPECT_EQ(merged->eventCount(), 3u);
  std::vector<std::string> titles;
  for (const auto& seen : seenIn(*merged, utcTime(2024, 1, 15), utcTime(2024, 1, 16))) titles.push_back(seen.title);
  EXPECT_THAT(titles, ElementsAre("B", "A", "S"));
  EXPECT_THAT(mergeCalendars({})->occurrences(utcTime(2024, 1, 1), utcTime(2025, 1, 1)), IsEmpty());
}

}  // namespace
}  // namespace CorlaMeetings::Testing
