// Inputs the fuzzer (fuzz/) found to crash, hang or leak, each reduced to what broke.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ICalendar/Parsing/CalendarParser.h"
#include "Platforms/ICalendar/Support/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

// A zone ICU doesn't know, so the calendar's own definition is read.
std::string meetingInOwnZone(const std::string& observances) {
  return calendarWith("BEGIN:VTIMEZONE\nTZID:Fantasia Time\n" + observances + "END:VTIMEZONE\n" +
                      event("UID:m\nSUMMARY:Meeting\nDTSTART;TZID=Fantasia Time:20240305T090000\nDURATION:PT1H"));
}

TEST(ParsedCalendarFuzzRegression, ZoneDefinitionsAreReadWholeOrNotAtAll) {
  // ICU read both without complaint but built no zone, and asking it for an offset crashed.
  // An observance of another name is no definition; a DTSTART with VALUE=DATE-TIME is one.
  const std::string observance = "TZOFFSETFROM:+0300\nTZOFFSETTO:+0300\nEND:STANDARD\n";
  const ParseResult misnamed =
      parseCalendar(meetingInOwnZone("BEGIN:RTANDARD\nDTSTART:19700101T000000\n" + observance));
  ASSERT_NE(misnamed.calendar, nullptr);
  EXPECT_THAT(misnamed.problems, Contains(HasSubstr("not STANDARD or DAYLIGHT")));
  // Read as floating: Berlin wall-clock time under the tests' TZ.
  EXPECT_THAT(seenIn(*misnamed.calendar, utcTime(2024, 3, 4), utcTime(2024, 3, 8)),
              ElementsAre(Seen{"Meeting", berlin(2024, 3, 5, 9), berlin(2024, 3, 5, 10)}));

  const auto typed = parsed(meetingInOwnZone("BEGIN:STANDARD\nDTSTART;VALUE=DATE-TIME:19700101T000000\n" + observance));
  EXPECT_THAT(seenIn(*typed, utcTime(2024, 3, 4), utcTime(2024, 3, 8)),
              ElementsAre(Seen{"Meeting", utcTime(2024, 3, 5, 6), utcTime(2024, 3, 5, 7)}));
}

TEST(ParsedCalendarFuzzRegression, DefinedZoneKeepsItsRulesPastLibicalsLastYear) {
  // The Monday of week 20, lasting a century (the longest kept), asked about in the year
  // 9999: libical, which expands a zone no further than 2582, expanded it all again for
  // every time read past that, a hundred occurrences at a time. Summer time still starts
  // in April there.
  const auto calendar = parsed(calendarWith(
      "BEGIN:VTIMEZONE\nTZID:US-Eastern\nBEGIN:STANDARD\nDTSTART:19671029T020000\n"
      "RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10\nTZOFFSETFROM:-0400\nTZOFFSETTO:-0500\nEND:STANDARD\n"
      "BEGIN:DAYLIGHT\nDTSTART:19870405T020000\nRRULE:FREQ=YEARLY;BYDAY=1SU;BYMONTH=4\nTZOFFSETFROM:-0500\n"
      "TZOFFSETTO:-0400\nEND:DAYLIGHT\nEND:VTIMEZONE\n" +
      event("UID:w\nSUMMARY:Week 20\nDTSTART;TZID=US-Eastern:19970512T090000\n"
            "RRULE:FREQ=YEARLY;BYWEEKNO=20;BYDAY=MO\nDTEND:39941024T100000")));
  for (const auto& [year, day] : {std::pair{2800, 15}, std::pair{9999, 17}}) {
    const auto starts = startsIn(*calendar, utcTime(year, 5, 1), utcTime(year, 6, 1));
    ASSERT_FALSE(starts.empty());
    EXPECT_EQ(starts.back(), utcTime(year, 5, day, 13)) << year;
  }
}

}  // namespace
}  // namespace CorlaMeetings::Testing
