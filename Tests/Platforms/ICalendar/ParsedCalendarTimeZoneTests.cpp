#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unicode/timezone.h>

#include "Platforms/ICalendar/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::vector<Instant> startsIn(const ParsedCalendar& calendar, Instant from, Instant to) {
  std::vector<Instant> starts;
  for (const auto& seen : seenIn(calendar, from, to)) starts.push_back(seen.start);
  return starts;
}

std::string meetingAt(const std::string& start) {
  return calendarWith(event("UID:z\nSUMMARY:Meeting\nDTSTART" + start + "\nDURATION:PT1H"));
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
  const auto seen = seenIn(fixture("windows-zones.ics"), utcTime(2024, 7, 1), utcTime(2024, 7, 2));
  EXPECT_THAT(seen, ElementsAre(Seen{"Berlin by its Windows name", berlin(2024, 7, 1, 9), berlin(2024, 7, 1, 10)},
                                Seen{"Seattle without a definition", inZone("America/Los_Angeles", 2024, 7, 1, 9),
                                     inZone("America/Los_Angeles", 2024, 7, 1, 9, 30)}));
}

TEST(ParsedCalendarTimeZones, ZoneNamesReachTheirIanaZone) {
  struct Case {
    const char* tzid;
    const char* iana;
  };
  const Case cases[] = {
      {"Europe/Berlin", "Europe/Berlin"},
      {"\"America/New_York\"", "America/New_York"},
      {"US/Eastern", "America/New_York"},
      {"Tokyo Standard Time", "Asia/Tokyo"},
      {"New Zealand Standard Time", "Pacific/Auckland"},
      {"/freeassociation.sourceforge.net/Tzfile/Europe/Vienna", "Europe/Vienna"},
      {"/freeassociation.sourceforge.net/America/Chicago", "America/Chicago"},
      {"/mozilla.org/20050126_1/Europe/Berlin", "Europe/Berlin"},
      {"/softwarestudio.org/Olson_20011030_5/America/Denver", "America/Denver"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tzid);
    const ParseResult result = parseCalendar(meetingAt(std::string(";TZID=") + c.tzid + ":20240115T090000"));
    ASSERT_NE(result.calendar, nullptr);
    EXPECT_TRUE(result.problems.empty());
    EXPECT_THAT(startsIn(*result.calendar, utcTime(2024, 1, 14), utcTime(2024, 1, 17)),
                ElementsAre(inZone(c.iana, 2024, 1, 15, 9)));
  }
}

TEST(ParsedCalendarTimeZones, UnknownZoneIsReadAsFloatingAndNoted) {
  const ParseResult result = parseCalendar(meetingAt(";TZID=Nowhere/Special:20240115T090000"));
  ASSERT_NE(result.calendar, nullptr);
  EXPECT_THAT(startsIn(*result.calendar, utcTime(2024, 1, 14), utcTime(2024, 1, 17)),
              ElementsAre(berlin(2024, 1, 15, 9)));
  ASSERT_EQ(result.problems.size(), 1u);
  EXPECT_THAT(result.problems[0], HasSubstr("'Nowhere/Special'"));
}

TEST(ParsedCalendarTimeZones, UnusableDefinitionIsNotedAndTheNameReadAsFloating) {
  const std::string zone =
      "BEGIN:VTIMEZONE\nTZID:Odd\nBEGIN:STANDARD\nDTSTART:16010101T000000\nTZOFFSETFROM:+5744\n"
      "TZOFFSETTO:+5744\nEND:STANDARD\nEND:VTIMEZONE\n";
  const ParseResult result =
      parseCalendar(calendarWith(zone + event("UID:o\nSUMMARY:Odd\nDTSTART;TZID=Odd:20240115T090000")));
  ASSERT_NE(result.calendar, nullptr);
  EXPECT_THAT(startsIn(*result.calendar, utcTime(2024, 1, 14), utcTime(2024, 1, 17)),
              ElementsAre(berlin(2024, 1, 15, 9)));
  EXPECT_THAT(result.problems, ::testing::Contains(HasSubstr("impossible UTC offset")));
}

TEST(ParsedCalendarTimeZones, UtcTimesAreExact) {
  const auto seen = seenIn(meetingAt(":20240115T090000Z"), utcTime(2024, 1, 14), utcTime(2024, 1, 17));
  EXPECT_THAT(seen, ElementsAre(Seen{"Meeting", utcTime(2024, 1, 15, 9), utcTime(2024, 1, 15, 10)}));
}

// Restores ICU's default zone, which the test changes to play the user moving.
class DefaultZone {
 public:
  explicit DefaultZone(const char* id) : saved_(icu::TimeZone::createDefault()) {
    icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone(id));
  }
  ~DefaultZone() { icu::TimeZone::adoptDefault(saved_); }

 private:
  icu::TimeZone* saved_;
};

TEST(ParsedCalendarTimeZones, FloatingTimesAndDatesFollowTheZoneAtQueryTime) {
  const auto calendar = parsed(calendarWith(event("UID:f\nSUMMARY:Floating\nDTSTART:20240115T090000") +
                                            event("UID:d\nSUMMARY:Day\nDTSTART;VALUE=DATE:20240116")));
  EXPECT_THAT(startsIn(*calendar, utcTime(2024, 1, 14), utcTime(2024, 1, 18)),
              ElementsAre(berlin(2024, 1, 15, 9), berlin(2024, 1, 16)));
  DefaultZone newYork("America/New_York");
  EXPECT_THAT(startsIn(*calendar, utcTime(2024, 1, 14), utcTime(2024, 1, 18)),
              ElementsAre(inZone("America/New_York", 2024, 1, 15, 9), inZone("America/New_York", 2024, 1, 16)));
}

TEST(ParsedCalendarTimeZones, SkippedWallClockTimeMeansTheTimeAfterTheGap) {
  // 02:30 does not exist in Berlin on 31 March 2024: it is read with the offset before
  // the change, which is 03:30 summer time.
  EXPECT_THAT(
      startsIn(*parsed(meetingAt(";TZID=Europe/Berlin:20240331T023000")), utcTime(2024, 3, 30), utcTime(2024, 4, 1)),
      ElementsAre(utcTime(2024, 3, 31, 1, 30)));
}

TEST(ParsedCalendarTimeZones, RepeatedWallClockTimeMeansItsFirstPassing) {
  // 02:30 comes twice in Berlin on 27 October 2024, first in summer time (00:30 UTC).
  EXPECT_THAT(
      startsIn(*parsed(meetingAt(";TZID=Europe/Berlin:20241027T023000")), utcTime(2024, 10, 26), utcTime(2024, 10, 28)),
      ElementsAre(utcTime(2024, 10, 27, 0, 30)));
}

TEST(ParsedCalendarTimeZones, SeriesInAnotherZoneFollowsThatZonesClockChanges) {
  // New York changes on 10 March 2024, Berlin on the 31st: a 09:00 New York meeting is
  // 15:00 Berlin, then 14:00 in between, then 15:00 again.
  const auto calendar = parsed(calendarWith(
      event("UID:ny\nSUMMARY:NY\nDTSTART;TZID=America/New_York:20240301T090000\nRRULE:FREQ=WEEKLY;BYDAY=MO")));
  EXPECT_THAT(startsIn(*calendar, berlin(2024, 3, 4), berlin(2024, 4, 2)),
              ElementsAre(berlin(2024, 3, 4, 15), berlin(2024, 3, 11, 14), berlin(2024, 3, 18, 14),
                          berlin(2024, 3, 25, 14), berlin(2024, 4, 1, 15)));
}

}  // namespace
}  // namespace CorlaMeetings::Testing
