#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <libical/ical.h>

#include <mutex>

#include "ICalendar/LibicalLock.h"

#include "Platforms/ICalendar/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

using ::testing::ElementsAre;

std::vector<Instant> startsIn(const std::string& text, Instant from, Instant to) {
  std::vector<Instant> starts;
  for (const auto& seen : seenIn(text, from, to)) starts.push_back(seen.start);
  return starts;
}

TEST(ParsedCalendarRecurrence, DailyMeetingKeepsItsWallClockTimeAcrossSpringForward) {
  // Berlin moves to summer time on Sunday 31 March 2024.
  const std::string text =
      calendarWith(event("UID:standup\nSUMMARY:Standup\nDTSTART;TZID=Europe/Berlin:20240328T090000\n"
                         "DTEND;TZID=Europe/Berlin:20240328T091500\nRRULE:FREQ=DAILY"));
  const auto seen = seenIn(text, berlin(2024, 3, 30), berlin(2024, 4, 2));
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].start, berlin(2024, 3, 30, 9));
  EXPECT_EQ(seen[1].start, berlin(2024, 3, 31, 9));
  EXPECT_EQ(seen[2].start, berlin(2024, 4, 1, 9));
  EXPECT_EQ(seen[1].start, utcTime(2024, 3, 31, 7));  // 09:00 summer time
  EXPECT_EQ(seen[2].end, berlin(2024, 4, 1, 9, 15));
  EXPECT_EQ(seen[0].identifier, "standup/20240330T080000Z");
  EXPECT_EQ(seen[2].identifier, "standup/20240401T070000Z");
}

TEST(ParsedCalendarRecurrence, WeeklyRuleGivesEachListedWeekday) {
  const std::string text =
      calendarWith(event("UID:w\nSUMMARY:Sync\nDTSTART;TZID=Europe/Berlin:20240108T100000\nDURATION:PT30M\n"
                         "RRULE:FREQ=WEEKLY;BYDAY=MO,WE,FR"));
  EXPECT_THAT(startsIn(text, berlin(2024, 1, 15), berlin(2024, 1, 22)),
              ElementsAre(berlin(2024, 1, 15, 10), berlin(2024, 1, 17, 10), berlin(2024, 1, 19, 10)));
}

TEST(ParsedCalendarRecurrence, FortnightlySeriesFromYearsAgoKeepsItsWeeks) {
  // 6 January 2015 and 2 January 2024 are 469 weeks apart, an odd number: the series meets
  // on 9 January 2024, not on the 2nd.
  const std::string text =
      calendarWith(event("UID:f\nSUMMARY:Retro\nDTSTART;TZID=Europe/Berlin:20150106T140000\nDURATION:PT1H\n"
                         "RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=TU"));
  EXPECT_THAT(startsIn(text, berlin(2024, 1, 1), berlin(2024, 1, 15)), ElementsAre(berlin(2024, 1, 9, 14)));
}

TEST(ParsedCalendarRecurrence, ExceptionDatesRemoveOccurrencesInAnyForm) {
  const std::string text = calendarWith(
      event("UID:x\nSUMMARY:Daily\nDTSTART;TZID=Europe/Berlin:20240304T090000\nDURATION:PT15M\nRRULE:FREQ=DAILY\n"
            "EXDATE;TZID=Europe/Berlin:20240305T090000\n"
            "EXDATE:20240306T080000Z\n"      // the same instant, written in UTC
            "EXDATE;VALUE=DATE:20240307"));  // a whole day of a timed series
  EXPECT_THAT(startsIn(text, berlin(2024, 3, 4), berlin(2024, 3, 9)),
              ElementsAre(berlin(2024, 3, 4, 9), berlin(2024, 3, 8, 9)));
}

TEST(ParsedCalendarRecurrence, RecurrenceDatesAddOccurrencesWithTheirOwnPeriods) {
  const std::string text =
      calendarWith(event("UID:r\nSUMMARY:Review\nDTSTART;TZID=Europe/Berlin:20240304T090000\nDURATION:PT1H\n"
                         "RRULE:FREQ=WEEKLY;COUNT=2\n"
                         "RDATE;TZID=Europe/Berlin:20240306T150000,20240311T090000\n"  // the second repeats the rule's
                         "RDATE;VALUE=PERIOD:20240307T120000Z/PT2H"));
  const auto seen = seenIn(text, berlin(2024, 3, 1), berlin(2024, 3, 20));
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].start, berlin(2024, 3, 4, 9));
  EXPECT_EQ(seen[1].start, berlin(2024, 3, 6, 15));
  EXPECT_EQ(seen[1].end, berlin(2024, 3, 6, 16));
  EXPECT_EQ(seen[2].start, utcTime(2024, 3, 7, 12));
  EXPECT_EQ(seen[2].end, utcTime(2024, 3, 7, 14));
  EXPECT_EQ(seen[3].start, berlin(2024, 3, 11, 9));
}

// A daily standup from Monday 4 March 2024 with three changed occurrences.
std::string standupWithOverrides() {
  return calendarWith(
      // The override comes before its series: order in the file must not matter.
      event("UID:s\nRECURRENCE-ID;TZID=Europe/Berlin:20240306T090000\nSUMMARY:Standup (moved)\n"
            "DTSTART;TZID=Europe/Berlin:20240306T140000\nDTEND;TZID=Europe/Berlin:20240306T141500") +
      event("UID:s\nSUMMARY:Standup\nDTSTART;TZID=Europe/Berlin:20240304T090000\n"
            "DTEND;TZID=Europe/Berlin:20240304T091500\nRRULE:FREQ=DAILY;COUNT=20") +
      // Moved out of the week, and into it.
      event("UID:s\nRECURRENCE-ID;TZID=Europe/Berlin:20240307T090000\nSUMMARY:Standup (later)\n"
            "DTSTART;TZID=Europe/Berlin:20240320T110000\nDTEND;TZID=Europe/Berlin:20240320T111500") +
      event("UID:s\nRECURRENCE-ID:20240315T080000Z\nSUMMARY:Standup (earlier)\n"
            "DTSTART;TZID=Europe/Berlin:20240308T160000\nDTEND;TZID=Europe/Berlin:20240308T161500") +
      // Renamed in place, sent twice: the higher SEQUENCE wins.
      event("UID:s\nRECURRENCE-ID;TZID=Europe/Berlin:20240305T090000\nSEQUENCE:2\nSUMMARY:Planning\n"
            "DTSTART;TZID=Europe/Berlin:20240305T090000\nDTEND;TZID=Europe/Berlin:20240305T091500") +
      event("UID:s\nRECURRENCE-ID;TZID=Europe/Berlin:20240305T090000\nSEQUENCE:1\nSUMMARY:Old plan\n"
            "DTSTART;TZID=Europe/Berlin:20240305T090000\nDTEND;TZID=Europe/Berlin:20240305T091500"));
}

TEST(ParsedCalendarRecurrence, OverridesReplaceTheOccurrencesTheyName) {
  const auto seen = seenIn(standupWithOverrides(), berlin(2024, 3, 4), berlin(2024, 3, 9));
  EXPECT_THAT(seen, ElementsAre(Seen{"Standup", berlin(2024, 3, 4, 9), berlin(2024, 3, 4, 9, 15)},
                                Seen{"Planning", berlin(2024, 3, 5, 9), berlin(2024, 3, 5, 9, 15)},
                                Seen{"Standup (moved)", berlin(2024, 3, 6, 14), berlin(2024, 3, 6, 14, 15)},
                                Seen{"Standup", berlin(2024, 3, 8, 9), berlin(2024, 3, 8, 9, 15)},
                                Seen{"Standup (earlier)", berlin(2024, 3, 8, 16), berlin(2024, 3, 8, 16, 15)}));
}

TEST(ParsedCalendarRecurrence, OverrideMovedOutOfItsWeekShowsWhereItWentTo) {
  const auto seen = seenIn(standupWithOverrides(), berlin(2024, 3, 20), berlin(2024, 3, 21));
  EXPECT_THAT(seen, ElementsAre(Seen{"Standup", berlin(2024, 3, 20, 9), berlin(2024, 3, 20, 9, 15)},
                                Seen{"Standup (later)", berlin(2024, 3, 20, 11), berlin(2024, 3, 20, 11, 15)}));
  EXPECT_TRUE(seenIn(standupWithOverrides(), berlin(2024, 3, 15), berlin(2024, 3, 16)).empty());
}

TEST(ParsedCalendarRecurrence, OverrideKeepsTheIdentityOfTheOccurrenceItReplaces) {
  const auto seen = seenIn(standupWithOverrides(), berlin(2024, 3, 6), berlin(2024, 3, 7));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].identifier, "s/20240306T080000Z");
}

TEST(ParsedCalendarRecurrence, OverrideForAllFutureOccurrencesChangesOnlyItsOwn) {
  const std::string text =
      calendarWith(event("UID:t\nSUMMARY:Old\nDTSTART;TZID=Europe/Berlin:20240304T090000\nRRULE:FREQ=DAILY;COUNT=4") +
                   event("UID:t\nRECURRENCE-ID;RANGE=THISANDFUTURE;TZID=Europe/Berlin:20240305T090000\nSUMMARY:New\n"
                         "DTSTART;TZID=Europe/Berlin:20240305T100000"));
  EXPECT_THAT(seenIn(text, berlin(2024, 3, 4), berlin(2024, 3, 10)),
              ElementsAre(Seen{"Old", berlin(2024, 3, 4, 9), berlin(2024, 3, 4, 9)},
                          Seen{"New", berlin(2024, 3, 5, 10), berlin(2024, 3, 5, 10)},
                          Seen{"Old", berlin(2024, 3, 6, 9), berlin(2024, 3, 6, 9)},
                          Seen{"Old", berlin(2024, 3, 7, 9), berlin(2024, 3, 7, 9)}));
}

TEST(ParsedCalendarRecurrence, OverrideWithoutItsSeriesStillShows) {
  const std::string text = calendarWith(
      event("UID:o\nRECURRENCE-ID:20240305T080000Z\nSUMMARY:Lonely\nDTSTART:20240305T100000Z\nDTEND:20240305T110000Z"));
  const auto calendar = parsed(text);
  const auto seen = seenIn(*calendar, berlin(2024, 3, 5), berlin(2024, 3, 6));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].start, utcTime(2024, 3, 5, 10));
  EXPECT_EQ(seen[0].identifier, "o/20240305T080000Z");
  EXPECT_EQ(calendar->eventCount(), 1u);
}

TEST(ParsedCalendarRecurrence, CountLimitsTheSeriesAndExceptionsStillCount) {
  const std::string text =
      calendarWith(event("UID:c\nSUMMARY:Course\nDTSTART;TZID=Europe/Berlin:20240304T090000\nRRULE:FREQ=DAILY;COUNT=3\n"
                         "EXDATE;TZID=Europe/Berlin:20240305T090000"));
  EXPECT_THAT(startsIn(text, berlin(2024, 3, 1), berlin(2024, 4, 1)),
              ElementsAre(berlin(2024, 3, 4, 9), berlin(2024, 3, 6, 9)));
}

TEST(ParsedCalendarRecurrence, LongCountedSeriesEndsOnItsLastOccurrence) {
  // 4000 days from 1 January 2014: the last is 13 December 2024 (1 January + 3999 days).
  const std::string text = calendarWith(
      event("UID:l\nSUMMARY:Pill\nDTSTART;TZID=Europe/Berlin:20140101T080000\nRRULE:FREQ=DAILY;COUNT=4000"));
  EXPECT_THAT(startsIn(text, berlin(2024, 12, 11), berlin(2024, 12, 16)),
              ElementsAre(berlin(2024, 12, 11, 8), berlin(2024, 12, 12, 8), berlin(2024, 12, 13, 8)));
}

TEST(ParsedCalendarRecurrence, UntilIsInclusiveInEveryForm) {
  struct Case {
    const char* until;
    int lastDay;
  };
  // Mondays from 4 March 2024, 09:00 Berlin (08:00 UTC).
  for (const Case& c : {Case{"20240318T080000Z", 18}, Case{"20240318T075959Z", 11}, Case{"20240318", 18},
                        Case{"20240318T090000", 18}, Case{"20240317", 11}}) {
    SCOPED_TRACE(c.until);
    const std::string text = calendarWith(event(std::string("UID:u\nSUMMARY:Weekly\n") +
                                                "DTSTART;TZID=Europe/Berlin:20240304T090000\n"
                                                "RRULE:FREQ=WEEKLY;UNTIL=" +
                                                c.until));
    const auto starts = startsIn(text, berlin(2024, 3, 1), berlin(2024, 4, 30));
    ASSERT_FALSE(starts.empty());
    EXPECT_EQ(starts.back(), berlin(2024, 3, c.lastDay, 9));
  }
}

TEST(ParsedCalendarRecurrence, SeveralRulesGiveTheUnionOfTheirDates) {
  const std::string text =
      calendarWith(event("UID:m\nSUMMARY:Gym\nDTSTART;TZID=Europe/Berlin:20240101T180000\n"
                         "RRULE:FREQ=WEEKLY;BYDAY=MO\nRRULE:FREQ=WEEKLY;BYDAY=MO,TH"));
  EXPECT_THAT(startsIn(text, berlin(2024, 1, 8), berlin(2024, 1, 15)),
              ElementsAre(berlin(2024, 1, 8, 18), berlin(2024, 1, 11, 18)));
}

TEST(ParsedCalendarRecurrence, MonthlyLastWeekdayFollowsTheSetPosition) {
  const std::string text =
      calendarWith(event("UID:p\nSUMMARY:Payroll\nDTSTART;TZID=Europe/Berlin:20240131T120000\n"
                         "RRULE:FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1"));
  EXPECT_THAT(startsIn(text, berlin(2024, 2, 1), berlin(2024, 5, 1)),
              ElementsAre(berlin(2024, 2, 29, 12), berlin(2024, 3, 29, 12), berlin(2024, 4, 30, 12)));
}

TEST(ParsedCalendarRecurrence, YearlyAllDayEventRecursAtLocalMidnight) {
  const std::string text = calendarWith(
      event("UID:b\nSUMMARY:Birthday\nDTSTART;VALUE=DATE:19900310\nDTEND;VALUE=DATE:19900311\nRRULE:FREQ=YEARLY"));
  const auto seen = seenIn(text, berlin(2024, 3, 1), berlin(2024, 4, 1));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], (Seen{"Birthday", berlin(2024, 3, 10), berlin(2024, 3, 11), true}));
  EXPECT_EQ(seen[0].identifier, "b/20240309T230000Z");
}

// The starts libical gives walking `rule` from DTSTART, floating, so read in Berlin.
std::vector<Instant> wholeSeries(const char* rule, const char* start) {
  std::lock_guard<std::mutex> lock(libicalMutex());
  std::vector<Instant> starts;
  icalrecurrencetype parsedRule = icalrecurrencetype_from_string(rule);
  icalrecur_iterator* iterator = icalrecur_iterator_new(parsedRule, icaltime_from_string(start));
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
  const char* rules[] = {
      "FREQ=DAILY;INTERVAL=3",
      "FREQ=WEEKLY;INTERVAL=2;BYDAY=TU,TH",
      "FREQ=WEEKLY;INTERVAL=3;WKST=SA;BYDAY=SU,MO",
      "FREQ=WEEKLY;INTERVAL=2;WKST=SU",
      "FREQ=MONTHLY;INTERVAL=2;BYDAY=2MO",
      "FREQ=MONTHLY;BYMONTHDAY=31",
      "FREQ=YEARLY;INTERVAL=2;BYMONTH=3;BYDAY=-1SU",
      "FREQ=HOURLY;INTERVAL=5",
      "FREQ=MINUTELY;INTERVAL=50;BYHOUR=9,10,11",
  };
  for (const char* rule : rules) {
    SCOPED_TRACE(rule);
    const std::string fullRule = std::string(rule) + ";UNTIL=20240601T000000";
    const std::string text = calendarWith(event("UID:d\nSUMMARY:D\nDTSTART:20230103T093000\nRRULE:" + fullRule));
    const auto whole = wholeSeries(fullRule.c_str(), "20230103T093000");
    ASSERT_FALSE(whole.empty());
    for (Instant from = berlin(2023, 2, 11); from < berlin(2024, 5, 1); from = from + std::chrono::days(37)) {
      const Instant to = from + std::chrono::days(4);
      std::vector<Instant> expected;
      std::copy_if(whole.begin(), whole.end(), std::back_inserter(expected),
                   [&](Instant t) { return t >= from && t < to; });
      EXPECT_EQ(startsIn(text, from, to), expected);
    }
  }
}

}  // namespace
}  // namespace CorlaMeetings::Testing
