// Zones a calendar defines itself (VTIMEZONE), under names ICU does not know.
#include "ICalendar/Parsing/CalendarParser.h"
#include "Platforms/ICalendar/Support/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

std::string zone(const std::string& tzid, const std::string& observances) {
  return "BEGIN:VTIMEZONE\nTZID:" + tzid + "\n" + observances + "END:VTIMEZONE\n";
}

std::string observance(const char* kind, const std::string& start, const char* from, const char* to,
                       const std::string& more = "") {
  return std::string("BEGIN:") + kind + "\nDTSTART:" + start + "\nTZOFFSETFROM:" + from + "\nTZOFFSETTO:" + to + "\n" +
         more + "END:" + kind + "\n";
}

// Berlin's rules since 1996, as Outlook and Thunderbird write them.
const std::string kBerlinRules =
    observance("DAYLIGHT", "19810329T020000", "+0100", "+0200", "RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=3\n") +
    observance("STANDARD", "19961027T030000", "+0200", "+0100", "RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10\n");

std::vector<Instant> startsAt(const std::string& definitions, const std::string& tzid,
                              const std::vector<std::string>& localTimes) {
  std::string events;
  for (const auto& local : localTimes)
    events += event("UID:" + local + "\nSUMMARY:M\nDTSTART;TZID=" + tzid + ":" + local);
  return startsIn(calendarWith(definitions + events), utcTime(1900, 1, 1), utcTime(2100, 1, 1));
}

TEST(ZoneDefinitions, AreReadAsWritten) {
  struct Case {
    const char* what;
    std::string observances;
    std::vector<std::string> localTimes;
    std::vector<Instant> starts;
  };
  // clang-format off
  const Case cases[] = {
      // Dated observances: each DTSTART is an onset besides its RDATEs. Before the first
      // onset, its TZOFFSETFROM holds.
      {"dated",
       observance("STANDARD", "20141026T020000", "+0200", "+0100", "RDATE:20151025T020000\n") +
           observance("DAYLIGHT", "20140330T030000", "+0100", "+0200", "RDATE:20150329T030000,20160327T030000\n"),
       {"20140301T093000", "20140409T093000", "20150409T093000"},
       {utcTime(2014, 3, 1, 8, 30), utcTime(2014, 4, 9, 7, 30), utcTime(2015, 4, 9, 7, 30)}},
      // Two eras of yearly rules, none ending: the latest onset wins, so between the old
      // rule's last Sunday of October and the new one's first of November it is EST.
      {"two eras",
       observance("STANDARD", "16711029T020000", "-0400", "-0500", "RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10\n") +
           observance("DAYLIGHT", "16710404T020000", "-0500", "-0400", "RRULE:FREQ=YEARLY;BYDAY=1SU;BYMONTH=4\n") +
           observance("STANDARD", "20071104T020000", "-0400", "-0500", "RRULE:FREQ=YEARLY;BYDAY=1SU;BYMONTH=11\n") +
           observance("DAYLIGHT", "20070311T020000", "-0500", "-0400", "RRULE:FREQ=YEARLY;BYDAY=2SU;BYMONTH=3\n"),
       {"19851015T140000", "20250610T140000", "20251028T120000"},
       {utcTime(1985, 10, 15, 18), utcTime(2025, 6, 10, 18), utcTime(2025, 10, 28, 17)}},
      // A first onset off its rule: summer time starts on 4 April 1990, not on the 1st.
      {"start off the rule",
       observance("DAYLIGHT", "19900404T020000", "-0500", "-0400", "RRULE:FREQ=YEARLY;BYDAY=1SU;BYMONTH=4\n") +
           observance("STANDARD", "19901028T020000", "-0400", "-0500", "RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10\n"),
       {"19900402T120000", "19910410T120000"},
       {utcTime(1990, 4, 2, 17), utcTime(1991, 4, 10, 16)}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(startsAt(zone("Own", c.observances), "Own", c.localTimes), c.starts);
  }
}

TEST(ZoneDefinitions, ReadClockChangesAsIcusZonesDo) {
  // Around both changes of 2024, the skipped 02:30 of 31 March and the twice-passed one
  // of 27 October among them.
  const std::vector<std::string> times = {"20240331T015959", "20240331T023000", "20240331T030000",
                                          "20241027T015959", "20241027T023000", "20241027T030000"};
  EXPECT_EQ(startsAt(zone("Berlin Copy", kBerlinRules), "Berlin Copy", times), startsAt("", "Europe/Berlin", times));
}

TEST(ZoneDefinitions, NoRealZoneIsReadAsFloatingWithANote) {
  // clang-format off
  const std::pair<std::string, const char*> cases[] = {
      {observance("STANDARD", "19700101T000000", "+0100", "+0100", "RRULE:FREQ=MONTHLY\n"), "not yearly"},
      {observance("DAYLIGHT", "16010101T000000", "+0100", "+0200", "RRULE:FREQ=YEARLY;BYDAY=MO,TU,WE,TH,FR,SA,SU\n"),
       "change too often"},
      {observance("STANDARD", "19700101T000000", "+0100", "+0100", "RDATE;VALUE=PERIOD:19800101T000000/PT1H\n"),
       "RDATE of periods"},
      {observance("STANDARD", "19700101T000000", "+0100", "+0100", "RRULE:FREQ=YEARLY;UNTIL=garbage\n"),
       "libical cannot read all of it"},
      {"BEGIN:STANDARD\nTZOFFSETFROM:+0100\nTZOFFSETTO:+0100\nEND:STANDARD\n", "lacks DTSTART"},
  };
  // clang-format on
  for (const auto& [observances, noted] : cases) {
    SCOPED_TRACE(noted);
    const ParseResult result = parseCalendar(
        calendarWith(zone("Own", observances) + event("UID:m\nSUMMARY:M\nDTSTART;TZID=Own:20240115T090000")));
    ASSERT_NE(result.calendar, nullptr);
    EXPECT_THAT(result.problems, Contains(HasSubstr(noted)));
    EXPECT_THAT(startsIn(*result.calendar, utcTime(2024, 1, 14), utcTime(2024, 1, 16)),
                ElementsAre(berlin(2024, 1, 15, 9)));
  }
}

TEST(ZoneDefinitions, ACalendarsZonesShareOneBudgetOfClockChanges) {
  // Eight onsets a year from 2000 to libical's horizon, 2582, in each of two observances:
  // about 9,300, so four such zones fit in a calendar and the fifth does not.
  const std::string rule = "RRULE:FREQ=YEARLY;BYMONTH=3,4,5,6,7,8,9,10;BYDAY=";
  const std::string busy = observance("DAYLIGHT", "20000305T020000", "+0500", "+0600", rule + "1SU\n") +
                           observance("STANDARD", "20000312T030000", "+0600", "+0500", rule + "2SU\n");
  std::string text;
  for (char n = '1'; n <= '5'; ++n) {
    text += zone(std::string("Busy ") + n, busy) +
            event(std::string("UID:") + n + "\nSUMMARY:M\nDTSTART;TZID=Busy " + n + ":20240115T090000");
  }
  const ParseResult result = parseCalendar(calendarWith(text));
  ASSERT_NE(result.calendar, nullptr);
  EXPECT_THAT(startsIn(*result.calendar, utcTime(2024, 1, 14), utcTime(2024, 1, 16)),
              ElementsAre(utcTime(2024, 1, 15, 4), utcTime(2024, 1, 15, 4), utcTime(2024, 1, 15, 4),
                          utcTime(2024, 1, 15, 4), berlin(2024, 1, 15, 9)));
  EXPECT_THAT(result.problems, Contains(HasSubstr("'Busy 5' not used: the calendar's zones change their clocks")));
}

}  // namespace
}  // namespace CorlaMeetings::Testing
