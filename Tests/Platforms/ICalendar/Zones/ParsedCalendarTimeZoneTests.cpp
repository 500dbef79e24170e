#include "ICalendar/Parsing/CalendarParser.h"
#include "Platforms/ICalendar/Support/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

std::string meetingAt(const std::string& start) {
  return calendarWith(event("UID:z\nSUMMARY:Meeting\nDTSTART" + start));
}

TEST(ParsedCalendarTimeZones, CalendarsOwnDefinitionServesNamesIcuDoesNotKnow) {
  // Fantasia keeps +03:00, and +04:00 from the last Sunday of March to the last of October.
  const auto calendar = parsed(fixture("custom-zone.ics"));
  EXPECT_THAT(startsIn(*calendar, utcTime(2024, 3, 25), utcTime(2024, 4, 2)),
              ElementsAre(utcTime(2024, 3, 25, 7), utcTime(2024, 4, 1, 6)));
  EXPECT_THAT(startsIn(*calendar, utcTime(2024, 10, 21), utcTime(2024, 10, 29)),
              ElementsAre(utcTime(2024, 10, 21, 6), utcTime(2024, 10, 28, 7)));
}

TEST(ParsedCalendarTimeZones, IcuZonesWinOverTheCalendarsDefinition) {
  // The file defines "W. Europe Standard Time" as a fixed +05:00: ICU's Berlin is used.
  EXPECT_THAT(seenIn(fixture("windows-zones.ics"), utcTime(2024, 7, 1), utcTime(2024, 7, 2)),
              ElementsAre(Seen{"Berlin by its Windows name", berlin(2024, 7, 1, 9), berlin(2024, 7, 1, 10)},
                          Seen{"Seattle without a definition", inZone("America/Los_Angeles", 2024, 7, 1, 9),
                               inZone("America/Los_Angeles", 2024, 7, 1, 9, 30)}));
}

// Names a zone goes by; and names of no usable zone, read as floating (Berlin, under the
// tests' TZ) with a note why.
TEST(ParsedCalendarTimeZones, ZoneNamesReachTheirZoneOrAreReadAsFloating) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      // TZID, zone, note
      {"\"America/New_York\"", "America/New_York", ""},
      {"US/Eastern", "America/New_York", ""},
      {"New Zealand Standard Time", "Pacific/Auckland", ""},
      {"/freeassociation.sourceforge.net/Tzfile/Europe/Vienna", "Europe/Vienna", ""},
      // Windows display names, as Outlook writes them without a VTIMEZONE: by the first
      // listed place that is a zone's city, or by a zone's generic name. In January
      // Melbourne keeps summer time, so the offset in the name alone would be an hour off.
      {"\"(GMT+10:00) Canberra, Melbourne, Sydney\"", "Australia/Melbourne", ""},
      {"\"(UTC+01:00) Amsterdam, Berlin, Bern, Rome, Stockholm, Vienna\"", "Europe/Amsterdam", ""},
      {"\"(UTC-05:00) Eastern Time (US & Canada)\"", "America/New_York", ""},
      {"Nowhere/Special", "Europe/Berlin", "'Nowhere/Special' is unknown"},
      {"\"(UTC+05:00) Nowhere, Special\"", "Europe/Berlin", "is unknown"},
      {"Odd", "Europe/Berlin", "'Odd' not used: impossible UTC offset"},
  };
  for (const auto& [tzid, zone, noted] : cases) {
    SCOPED_TRACE(tzid);
    const ParseResult result = parseCalendar(calendarWith(
        "BEGIN:VTIMEZONE\nTZID:Odd\nBEGIN:STANDARD\nDTSTART:16010101T000000\nTZOFFSETFROM:+5744\nTZOFFSETTO:+5744\n"
        "END:STANDARD\nEND:VTIMEZONE\n" +
        event(std::string("UID:z\nSUMMARY:Z\nDTSTART;TZID=") + tzid + ":20240115T090000")));
    ASSERT_NE(result.calendar, nullptr);
    EXPECT_THAT(startsIn(*result.calendar, utcTime(2024, 1, 14), utcTime(2024, 1, 17)),
                ElementsAre(inZone(zone, 2024, 1, 15, 9)));
    std::string problems;
    for (const std::string& problem : result.problems) problems += problem + "\n";
    EXPECT_EQ(problems.empty(), *noted == '\0') << problems;
    EXPECT_THAT(problems, HasSubstr(noted));
  }
}

TEST(ParsedCalendarTimeZones, FloatingTimesAndDatesFollowTheZoneAtQueryTimeUtcDoesNot) {
  const auto calendar = parsed(calendarWith(event("UID:f\nSUMMARY:Floating\nDTSTART:20240115T090000") +
                                            event("UID:d\nSUMMARY:Day\nDTSTART;VALUE=DATE:20240116") +
                                            event("UID:u\nSUMMARY:UTC\nDTSTART:20240116T120000Z")));
  EXPECT_THAT(startsIn(*calendar, utcTime(2024, 1, 14), utcTime(2024, 1, 18)),
              ElementsAre(berlin(2024, 1, 15, 9), berlin(2024, 1, 16), utcTime(2024, 1, 16, 12)));
  ScopedDefaultZone newYork("America/New_York");
  EXPECT_THAT(startsIn(*calendar, utcTime(2024, 1, 14), utcTime(2024, 1, 18)),
              ElementsAre(inZone("America/New_York", 2024, 1, 15, 9), inZone("America/New_York", 2024, 1, 16),
                          utcTime(2024, 1, 16, 12)));
}

// A time written without a zone beside a zoned DTSTART is on DTSTART's clock, as
// Thunderbird means its DTEND; beside a floating DTSTART it stays floating (Berlin here).
TEST(ParsedCalendarTimeZones, TimesWithoutAZoneAreOnDtstartsClock) {
  const std::string newYork9 = "DTSTART;TZID=America/New_York:20240304T090000\nDURATION:PT1H\n";
  // clang-format off
  const std::pair<std::string, std::vector<Seen>> cases[] = {
      {"DTSTART;TZID=America/New_York:19970904T090000\nDTEND:19970904T100000",
       {{"M", utcTime(1997, 9, 4, 13), utcTime(1997, 9, 4, 14)}}},
      {"DTSTART:19970904T090000Z\nDTEND:19970904T100000", {{"M", utcTime(1997, 9, 4, 9), utcTime(1997, 9, 4, 10)}}},
      {"DTSTART:19970904T090000\nDTEND:19970904T100000", {{"M", berlin(1997, 9, 4, 9), berlin(1997, 9, 4, 10)}}},
      // New York's clocks change on 10 March 2024.
      {newYork9 + "RRULE:FREQ=DAILY;COUNT=3\nEXDATE:20240305T090000\nRDATE:20240310T090000",
       {{"M", utcTime(2024, 3, 4, 14), utcTime(2024, 3, 4, 15)},
        {"M", utcTime(2024, 3, 6, 14), utcTime(2024, 3, 6, 15)},
        {"M", utcTime(2024, 3, 10, 13), utcTime(2024, 3, 10, 14)}}},
  };
  // clang-format on
  for (const auto& [properties, seen] : cases) {
    SCOPED_TRACE(properties);
    EXPECT_EQ(seenIn(calendarWith(event("UID:m\nSUMMARY:M\n" + properties)), utcTime(1997, 9, 1), utcTime(2024, 3, 12)),
              seen);
  }
  const auto moved = calendarWith(event("UID:s\nSUMMARY:Series\n" + newYork9 + "RRULE:FREQ=DAILY;COUNT=2") +
                                  event("UID:s\nSUMMARY:Moved\nRECURRENCE-ID:20240305T090000\n"
                                        "DTSTART;TZID=America/New_York:20240305T110000\nDURATION:PT1H"));
  EXPECT_THAT(titlesIn(moved, utcTime(2024, 3, 4), utcTime(2024, 3, 6)), ElementsAre("Series", "Moved"));
}

// Apple and Exchange write the RECURRENCE-ID of an all-day occurrence as midnight in their
// zone: it names that day, wherever the user is.
TEST(ParsedCalendarTimeZones, AllDayOccurrenceIsNamedByTheDayItsRecurrenceIdIsWrittenOn) {
  for (const char* userZone : {"Europe/Berlin", "America/New_York", "Asia/Tokyo"}) {
    SCOPED_TRACE(userZone);
    ScopedDefaultZone user(userZone);
    for (const char* writtenIn : {"Asia/Hong_Kong", "Europe/London"}) {
      const auto calendar =
          parsed(calendarWith(event("UID:h\nSUMMARY:Holiday\nDTSTART;VALUE=DATE:20020610\nRRULE:FREQ=YEARLY") +
                              event(std::string("UID:h\nSUMMARY:Moved\nRECURRENCE-ID;TZID=") + writtenIn +
                                    ":20030610T000000\nDTSTART;VALUE=DATE:20030609")));
      EXPECT_THAT(seenIn(*calendar, localTime(2003, 6, 8), localTime(2003, 6, 12)),
                  ElementsAre(Seen{"Moved", localTime(2003, 6, 9), localTime(2003, 6, 10), true}))
          << writtenIn;
    }
  }
}

TEST(ParsedCalendarTimeZones, WallClockTimeAtAClockChangeIsReadOnce) {
  // 02:30 does not exist in Berlin on 31 March 2024: read with the offset before the
  // change, 03:30 summer time. On 27 October it comes twice: the first, in summer time.
  EXPECT_THAT(startsIn(meetingAt(";TZID=Europe/Berlin:20240331T023000"), utcTime(2024, 3, 30), utcTime(2024, 4, 1)),
              ElementsAre(utcTime(2024, 3, 31, 1, 30)));
  EXPECT_THAT(startsIn(meetingAt(";TZID=Europe/Berlin:20241027T023000"), utcTime(2024, 10, 26), utcTime(2024, 10, 28)),
              ElementsAre(utcTime(2024, 10, 27, 0, 30)));
}

}  // namespace
}  // namespace CorlaMeetings::Testing
