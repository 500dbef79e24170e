// Inputs the fuzzer (fuzz/) found to crash, hang or leak, each reduced to what broke.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Platforms/ICalendar/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// A zone ICU doesn't know, so the calendar's own definition is read.
std::string meetingInOwnZone(const std::string& observances) {
  return calendarWith("BEGIN:VTIMEZONE\nTZID:Fantasia Time\n" + observances + "END:VTIMEZONE\n" +
                      event("UID:m\nSUMMARY:Meeting\nDTSTART;TZID=Fantasia Time:20240305T090000\nDURATION:PT1H"));
}

TEST(ParsedCalendarFuzzRegression, ZoneDefinitionsAreReadWholeOrNotAtAll) {
  // ICU read both without complaint but built no zone, and asking it for an offset crashed.
  // An observance of another name is no definition; a DTSTART with VALUE=DATE-TIME is one.
  const std::string observance = "TZOFFSETFROM:+0300\nTZOFFSETTO:+0300\nEND:STANDARD\n";
  const ParseResult misnamed = parseCalendar(meetingInOwnZone("BEGIN:RTANDARD\nDTSTART:19700101T000000\n" + observance));
  ASSERT_NE(misnamed.calendar, nullptr);
  EXPECT_THAT(misnamed.problems, Contains(HasSubstr("not STANDARD or DAYLIGHT")));
  // Read as floating: Berlin wall-clock time under the tests' TZ.
  EXPECT_THAT(seenIn(*misnamed.calendar, utcTime(2024, 3, 4), utcTime(2024, 3, 8)),
              ElementsAre(Seen{"Meeting", berlin(2024, 3, 5, 9), berlin(2024, 3, 5, 10)}));

  const auto typed = parsed(meetingInOwnZone("BEGIN:STANDARD\nDTSTART;VALUE=DATE-TIME:19700101T000000\n" + observance));
  EXPECT_THAT(seenIn(*typed, utcTime(2024, 3, 4), utcTime(2024, 3, 8)),
              ElementsAre(Seen{"Meeting", utcTime(2024, 3, 5, 6), utcTime(2024, 3, 5, 7)}));
}

}  // namespace
}  // namespace CorlaMeetings::Testing
