#include <libical/ical.h>

#include <mutex>

#include "ICalendar/Libical/LibicalLock.h"
#include "Platforms/ICalendar/Support/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

TEST(ParsedCalendarRecurrence, RulesDatesAndExceptionsGiveTheirStarts) {
  struct Case {
    std::string properties;
    Instant from, to;
    std::vector<Instant> starts;
  };
  auto at9 = [](std::vector<int> marchDays) {
    std::vector<Instant> starts;
    for (int day : marchDays) starts.push_back(berlin(2024, 3, day, 9));
    return starts;
  };
  auto at10 = [](std::vector<int> dates) {  // 20240131: 10:00 UTC on that day
    std::vector<Instant> starts;
    for (int date : dates) starts.push_back(utcTime(date / 10000, date / 100 % 100, date % 100, 10));
    return starts;
  };
  const std::string everyDayOfWeek1 = "RRULE:FREQ=YEARLY;BYWEEKNO=1;BYDAY=MO,TU,WE,TH,FR,SA,SU";
  const std::string berlin9 = "DTSTART;TZID=Europe/Berlin:20240304T090000\n";
  const std::string mondaysUntil = berlin9 + "RRULE:FREQ=WEEKLY;UNTIL=";
  // clang-format off
  const Case cases[] = {
      // Daily across the change to summer time: the same wall-clock time.
      {"DTSTART;TZID=Europe/Berlin:20240328T090000\nRRULE:FREQ=DAILY", berlin(2024, 3, 30), berlin(2024, 4, 2),
       {berlin(2024, 3, 30, 9), berlin(2024, 3, 31, 9), berlin(2024, 4, 1, 9)}},
      {"DTSTART;TZID=Europe/Berlin:20240108T100000\nRRULE:FREQ=WEEKLY;BYDAY=MO,WE,FR", berlin(2024, 1, 15),
       berlin(2024, 1, 22), {berlin(2024, 1, 15, 10), berlin(2024, 1, 17, 10), berlin(2024, 1, 19, 10)}},
      // 469 weeks from 6 January 2015 to 2 January 2024: an odd number, so not on the 2nd.
      {"DTSTART;TZID=Europe/Berlin:20150106T140000\nRRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=TU", berlin(2024, 1, 1),
       berlin(2024, 1, 15), {berlin(2024, 1, 9, 14)}},
      // Several rules: the union of their dates.
      {"DTSTART;TZID=Europe/Berlin:20240101T180000\nRRULE:FREQ=WEEKLY;BYDAY=MO\nRRULE:FREQ=WEEKLY;BYDAY=MO,TH",
       berlin(2024, 1, 8), berlin(2024, 1, 15), {berlin(2024, 1, 8, 18), berlin(2024, 1, 11, 18)}},
      // The last weekday of each month.
      {"DTSTART;TZID=Europe/Berlin:20240131T120000\nRRULE:FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1",
       berlin(2024, 2, 1), berlin(2024, 5, 1),
       {berlin(2024, 2, 29, 12), berlin(2024, 3, 29, 12), berlin(2024, 4, 30, 12)}},
      // New York changes its clocks on 10 March 2024, Berlin on the 31st.
      {"DTSTART;TZID=America/New_York:20240301T090000\nRRULE:FREQ=WEEKLY;BYDAY=MO", berlin(2024, 3, 4),
       berlin(2024, 4, 2),
       {berlin(2024, 3, 4, 15), berlin(2024, 3, 11, 14), berlin(2024, 3, 18, 14), berlin(2024, 3, 25, 14),
        berlin(2024, 4, 1, 15)}},
      // Exception dates zoned, as the same instant in UTC, and as a whole day.
      {berlin9 + "RRULE:FREQ=DAILY\nEXDATE;TZID=Europe/Berlin:20240305T090000\nEXDATE:20240306T080000Z\n"
                 "EXDATE;VALUE=DATE:20240307",
       berlin(2024, 3, 4), berlin(2024, 3, 9), at9({4, 8})},
      // COUNT ends the series, and an exception date still counts.
      {berlin9 + "RRULE:FREQ=DAILY;COUNT=3\nEXDATE;TZID=Europe/Berlin:20240305T090000", berlin(2024, 3, 1),
       berlin(2024, 4, 1), at9({4, 6})},
      // A long COUNT ends on its last occurrence: 1 January 2014 and 3999 days.
      {"DTSTART;TZID=Europe/Berlin:20140101T080000\nRRULE:FREQ=DAILY;COUNT=4000", berlin(2024, 12, 11),
       berlin(2024, 12, 16), {berlin(2024, 12, 11, 8), berlin(2024, 12, 12, 8), berlin(2024, 12, 13, 8)}},
      // Mondays at 09:00 Berlin, 08:00 UTC: UNTIL is inclusive in every form.
      {mondaysUntil + "20240318T080000Z", berlin(2024, 3, 1), berlin(2024, 5, 1), at9({4, 11, 18})},
      {mondaysUntil + "20240318T075959Z", berlin(2024, 3, 1), berlin(2024, 5, 1), at9({4, 11})},
      {mondaysUntil + "20240318", berlin(2024, 3, 1), berlin(2024, 5, 1), at9({4, 11, 18})},
      {mondaysUntil + "20240318T090000", berlin(2024, 3, 1), berlin(2024, 5, 1), at9({4, 11, 18})},
      {mondaysUntil + "20240317", berlin(2024, 3, 1), berlin(2024, 5, 1), at9({4, 11})},
      // Yearly by week number. Week 1 of 2002 runs from Monday 31 December 2001, that of
      // 2003 from Monday 30 December 2002: a year's days include those of the next year's
      // week 1 that fall in its December. WKST moves where weeks begin.
      {"DTSTART:20020101T100000Z\n" + everyDayOfWeek1, utcTime(2001, 12, 1), utcTime(2002, 2, 1), at10({20020101, 20020102, 20020103, 20020104, 20020105, 20020106})},
      {"DTSTART:20020101T100000Z\n" + everyDayOfWeek1, utcTime(2002, 12, 25), utcTime(2003, 1, 10), at10({20021230, 20021231, 20030101, 20030102, 20030103, 20030104, 20030105})},
      {"DTSTART:20020603T100000Z\nRRULE:FREQ=YEARLY;BYWEEKNO=1;BYDAY=MO", utcTime(2002, 12, 1), utcTime(2005, 2, 1), at10({20021230, 20031229, 20050103})},
      {"DTSTART:20200105T100000Z\nRRULE:FREQ=YEARLY;BYWEEKNO=1;BYDAY=SU;WKST=SU", utcTime(2023, 12, 1), utcTime(2024, 2, 1), at10({20231231})},
      {"DTSTART:20200105T100000Z\nRRULE:FREQ=YEARLY;BYWEEKNO=1;BYDAY=SU", utcTime(2023, 12, 1), utcTime(2024, 2, 1), at10({20240107})},
      // A week that runs into the next year; the last week of a year of 53 and of one of 52.
      {"DTSTART:20100104T100000Z\nRRULE:FREQ=YEARLY;BYWEEKNO=52;BYDAY=SA,SU", utcTime(2010, 12, 20), utcTime(2011, 1, 10), at10({20110101, 20110102})},
      {"DTSTART:20040105T100000Z\nRRULE:FREQ=YEARLY;BYWEEKNO=-1;BYDAY=FR", utcTime(2004, 12, 1), utcTime(2006, 1, 10), at10({20041231, 20051230})},
      // COUNT counts the rule's days, as libical does: DTSTART, a Monday of week 23, is not one.
      {"DTSTART:20020603T100000Z\nRRULE:FREQ=YEARLY;BYWEEKNO=1;BYDAY=MO;COUNT=2", utcTime(2002, 6, 1), utcTime(2006, 1, 1), at10({20020603, 20021230, 20031229})},
      // As Lotus Notes sends a meeting: the override for all future occurrences, carrying
      // them, and no series.
      {"RECURRENCE-ID;RANGE=THISANDFUTURE:20240304T080000Z\nDTSTART:20240304T080000Z\nDTEND:20240304T090000Z\n"
       "RDATE;VALUE=PERIOD:20240304T080000Z/20240304T090000Z,20240401T070000Z/20240401T080000Z",
       utcTime(2024, 3, 1), utcTime(2024, 5, 1), {utcTime(2024, 3, 4, 8), utcTime(2024, 4, 1, 7)}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.properties);
    EXPECT_EQ(startsIn(calendarWith(event("UID:r\nSUMMARY:R\n" + c.properties)), c.from, c.to), c.starts);
  }
}

TEST(ParsedCalendarRecurrence, RecurrenceDatesAddOccurrencesWithTheirOwnPeriods) {
  const std::string text =
      calendarWith(event("UID:r\nSUMMARY:R\nDTSTART;TZID=Europe/Berlin:20240304T090000\nDURATION:PT1H\n"
                         "RRULE:FREQ=WEEKLY;COUNT=2\n"
                         "RDATE;TZID=Europe/Berlin:20240306T150000,20240311T090000\n"  // the second repeats the rule's
                         "RDATE;VALUE=PERIOD:20240307T120000Z/PT2H"));
  EXPECT_THAT(seenIn(text, berlin(2024, 3, 1), berlin(2024, 3, 20)),
              ElementsAre(Seen{"R", berlin(2024, 3, 4, 9), berlin(2024, 3, 4, 10)},
                          Seen{"R", berlin(2024, 3, 6, 15), berlin(2024, 3, 6, 16)},
                          Seen{"R", utcTime(2024, 3, 7, 12), utcTime(2024, 3, 7, 14)},
                          Seen{"R", berlin(2024, 3, 11, 9), berlin(2024, 3, 11, 10)}));
}

// A daily standup from 4 March 2024 whose overrides come before it in the file, move
// occurrences out of their week and into it, and rename one twice (the higher SEQUENCE
// wins); and a daily meeting moved an hour later from 29 March on, across the change to
// summer time, with one day changed again on its own.
TEST(ParsedCalendarRecurrence, OverridesReplaceTheOccurrencesTheyNameAndThoseAfterThem) {
  const auto calendar = parsed(fixture("overrides.ics"));
  const auto week = seenIn(*calendar, berlin(2024, 3, 4), berlin(2024, 3, 9));
  EXPECT_THAT(week, ElementsAre(Seen{"Standup", berlin(2024, 3, 4, 9), berlin(2024, 3, 4, 9, 15)},
                                Seen{"Planning", berlin(2024, 3, 5, 9), berlin(2024, 3, 5, 9, 15)},
                                Seen{"Moved", berlin(2024, 3, 6, 14), berlin(2024, 3, 6, 14, 15)},
                                Seen{"Standup", berlin(2024, 3, 8, 9), berlin(2024, 3, 8, 9, 15)},
                                Seen{"Earlier", berlin(2024, 3, 8, 16), berlin(2024, 3, 8, 16, 15)}));
  ASSERT_EQ(week.size(), 5u);
  EXPECT_EQ(week[2].identifier, "standup/20240306T080000Z");  // that of the occurrence it replaces
  EXPECT_THAT(titlesIn(*calendar, berlin(2024, 3, 20), berlin(2024, 3, 21)), ElementsAre("Standup", "Later"));
  EXPECT_THAT(seenIn(*calendar, berlin(2024, 3, 15), berlin(2024, 3, 16)), IsEmpty());

  const auto later = seenIn(*calendar, berlin(2024, 3, 28), berlin(2024, 4, 2));
  EXPECT_THAT(later, ElementsAre(Seen{"Old", berlin(2024, 3, 28, 9), berlin(2024, 3, 28, 9, 30)},
                                 Seen{"New", berlin(2024, 3, 29, 10), berlin(2024, 3, 29, 11)},
                                 Seen{"Single", berlin(2024, 3, 30, 8), berlin(2024, 3, 30, 8, 15)},
                                 Seen{"New", berlin(2024, 3, 31, 10), berlin(2024, 3, 31, 11)},
                                 Seen{"New", berlin(2024, 4, 1, 10), berlin(2024, 4, 1, 11)}));
  ASSERT_EQ(later.size(), 5u);
  EXPECT_EQ(later[3].identifier, "from-friday/20240331T070000Z");  // where the series put it: 09:00 summer time
}

// The starts libical gives walking `rule` from DTSTART, floating, so read in Berlin.
std::vector<Instant> wholeSeries(const std::string& rule, const char* start) {
  std::lock_guard<std::mutex> lock(libicalMutex());
  std::vector<Instant> starts;
  icalrecur_iterator* iterator =
      icalrecur_iterator_new(icalrecurrencetype_from_string(rule.c_str()), icaltime_from_string(start));
  for (icaltimetype t = icalrecur_iterator_next(iterator); !icaltime_is_null_time(t);
       t = icalrecur_iterator_next(iterator)) {
    starts.push_back(localTime(t.year, t.month, t.day, t.hour, t.minute, t.second));
  }
  icalrecur_iterator_free(iterator);
  return starts;
}

// Expanding only the window must give what walking the rule from DTSTART gives: this pins
// the two ways of starting libical near the window (a moved DTSTART for fixed periods,
// icalrecur_iterator_set_start for months and years), whose interval alignment is where
// libical goes wrong for some rules.
TEST(ParsedCalendarRecurrence, WindowExpansionMatchesWalkingTheWholeSeries) {
  for (const char* rule :
       {"FREQ=DAILY;INTERVAL=3", "FREQ=WEEKLY;INTERVAL=2;BYDAY=TU,TH", "FREQ=WEEKLY;INTERVAL=3;WKST=SA;BYDAY=SU,MO",
        "FREQ=WEEKLY;INTERVAL=2;WKST=SU", "FREQ=MONTHLY;INTERVAL=2;BYDAY=2MO", "FREQ=MONTHLY;BYMONTHDAY=31",
        "FREQ=YEARLY;INTERVAL=2;BYMONTH=3;BYDAY=-1SU", "FREQ=HOURLY;INTERVAL=5",
        "FREQ=MINUTELY;INTERVAL=50;BYHOUR=9,10,11"}) {
    SCOPED_TRACE(rule);
    const std::string fullRule = std::string(rule) + ";UNTIL=20240601T000000";
    const auto calendar = parsed(calendarWith(event("UID:d\nSUMMARY:D\nDTSTART:20230103T093000\nRRULE:" + fullRule)));
    const auto whole = wholeSeries(fullRule, "20230103T093000");
    ASSERT_FALSE(whole.empty());
    for (Instant from = berlin(2023, 2, 11); from < berlin(2024, 5, 1); from = from + std::chrono::days(37)) {
      const Instant to = from + std::chrono::days(4);
      std::vector<Instant> expected;
      std::copy_if(whole.begin(), whole.end(), std::back_inserter(expected),
                   [&](Instant t) { return t >= from && t < to; });
      EXPECT_EQ(startsIn(*calendar, from, to), expected);
    }
  }
}

}  // namespace
}  // namespace CorlaMeetings::Testing
