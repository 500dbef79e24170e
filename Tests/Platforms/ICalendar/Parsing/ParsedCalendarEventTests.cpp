#include "Platforms/ICalendar/Support/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

TEST(ParsedCalendarEvents, PropertiesBecomeTheEventsTexts) {
  auto found =
      parsed(calendarWith(event("UID:sync@example.com\nSUMMARY:Team sync\\, weekly\nLOCATION:Room 4\\; 2nd floor\n"
                                "DESCRIPTION:Join:\\nhttps://zoom.us/j/123\nURL:https://example.com/a?b=c\\,d\n"
                                "DTSTART:20240115T090000Z") +
                          event("SUMMARY:Caf\xE9 \xF0\x9F\x98\x80\nSTATUS:CANCELLED\nDTSTART:20240115T100000Z") +
                          event("DTSTART:20240115T110000Z")))
          ->occurrences(utcTime(2024, 1, 15), utcTime(2024, 1, 16));
  ASSERT_EQ(found.size(), 3u);
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a->startDate < b->startDate; });
  EXPECT_EQ(found[0]->eventIdentifier, "sync@example.com");
  EXPECT_EQ(found[0]->title, "Team sync, weekly");
  EXPECT_EQ(found[0]->location, "Room 4; 2nd floor");
  EXPECT_EQ(found[0]->notes, "Join:\nhttps://zoom.us/j/123");
  EXPECT_EQ(found[0]->URL, "https://example.com/a?b=c\\,d");       // as written
  EXPECT_EQ(found[1]->title, "Caf\xEF\xBF\xBD \xF0\x9F\x98\x80");  // cancelled yet kept; bad UTF-8 replaced
  for (const auto& absent :
       {found[2]->eventIdentifier, found[2]->title, found[2]->location, found[2]->notes, found[2]->URL}) {
    EXPECT_EQ(absent, std::nullopt);
  }
}

// An event whose later version (a higher SEQUENCE) follows it in full in the same file is
// that version only; events alike in SEQUENCE may be distinct ones sharing a UID.
TEST(ParsedCalendarEvents, OnlyTheLatestVersionOfAnEventCounts) {
  auto version = [](const char* title, int sequence, const char* start) {
    return event(std::string("UID:same\nSUMMARY:") + title + "\nSEQUENCE:" + std::to_string(sequence) +
                 "\nDTSTART:" + start + "\nRRULE:FREQ=DAILY;COUNT=2");
  };
  const auto edited = parsed(calendarWith(version("v2", 2, "20240115T090000Z") + version("v1", 1, "20240115T080000Z")));
  EXPECT_THAT(titlesIn(*edited, utcTime(2024, 1, 15), utcTime(2024, 1, 16)), ElementsAre("v2"));
  EXPECT_EQ(edited->eventCount(), 1u);
  const auto alike = parsed(calendarWith(version("a", 0, "20240115T090000Z") + version("b", 0, "20240115T080000Z")));
  EXPECT_THAT(titlesIn(*alike, utcTime(2024, 1, 15), utcTime(2024, 1, 16)), ElementsAre("b", "a"));
}

TEST(ParsedCalendarEvents, LengthComesFromDtendDurationOrTheDefault) {
  struct Case {
    const char* properties;
    Instant start, end;
    bool allDay;
  };
  // clang-format off
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
      // The day of the clock change is 23 hours long and ends at local midnight.
      {"DTSTART;VALUE=DATE:20240331\nDTEND;VALUE=DATE:20240401", berlin(2024, 3, 31), berlin(2024, 4, 1), true},
      {"DTSTART;TZID=Europe/Berlin:20240305T100000\nDTEND;TZID=Europe/Berlin:20240305T090000", berlin(2024, 3, 5, 10),
       berlin(2024, 3, 5, 10), false},  // ends before it starts: no length
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.properties);
    EXPECT_THAT(seenIn(calendarWith(event(std::string("UID:l\nSUMMARY:L\n") + c.properties)), berlin(2024, 3, 1),
                       berlin(2024, 4, 5)),
                ElementsAre(Seen{"L", c.start, c.end, c.allDay}));
  }
}

// Single events, series by rule and by RDATE, one without a UID, a yearly all-day one
// (known by its local midnight in UTC) and an override whose series is not in the file.
TEST(ParsedCalendarEvents, IdentifierIsTheUidOrThatOfTheOccurrence) {
  const auto calendar = parsed(fixture("identifiers.ics"));
  using Id = std::pair<std::string, std::optional<std::string>>;
  std::vector<Id> identifiers;
  for (const auto& seen : seenIn(*calendar, utcTime(2024, 1, 15), utcTime(2024, 1, 17))) {
    identifiers.emplace_back(seen.title, seen.identifier);
  }
  EXPECT_THAT(identifiers,
              ElementsAre(Id{"Daily", "daily/20240115T090000Z"}, Id{"Single", "single"},
                          Id{"Dated", "dated/20240115T110000Z"}, Id{"Nameless", std::nullopt},
                          Id{"Birthday", "birthday/20240115T230000Z"}, Id{"Daily", "daily/20240116T090000Z"},
                          Id{"Dated", "dated/20240116T110000Z"}, Id{"Lonely", "lonely/20240116T100000Z"}));
  EXPECT_EQ(calendar->eventCount(), 6u);
}

TEST(ParsedCalendarEvents, WindowHoldsWhatOverlapsItAndInstantsAtItsStart) {
  EXPECT_THAT(titlesIn(fixture("window-edges.ics"), utcTime(2024, 1, 15, 9), utcTime(2024, 1, 15, 10)),
              ElementsAre("Around", "Overnight", "Instant at the start"));
}

}  // namespace
}  // namespace CorlaMeetings::Testing
