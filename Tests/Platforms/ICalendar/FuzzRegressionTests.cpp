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

TEST(ParsedCalendarFuzzRegression, ZoneDefinitionIcuLeavesEmptyIsNotUsed) {
  // ICU accepts these definitions without complaint but builds no zone from them; asking
  // that zone for an offset crashed.
  const std::string observance = "TZOFFSETFROM:+0300\nTZOFFSETTO:+0300\nEND:STANDARD\n";
  const std::string broken[] = {
      "BEGIN:RTANDARD\nDTSTART:19700101T000000\n" + observance,
      "BEGIN:STANDARD\nDTSTART;VALUE=DATE-TIME:19700101T000000\n" + observance,
  };
  for (const auto& observances : broken) {
    SCOPED_TRACE(observances);
    const ParseResult result = parseCalendar(meetingInOwnZone(observances));
    ASSERT_NE(result.calendar, nullptr);
    EXPECT_THAT(result.problems, Contains(HasSubstr("ICU cannot read it")));
    // Read as floating: Berlin wall-clock time under the tests' TZ.
    EXPECT_THAT(seenIn(*result.calendar, utcTime(2024, 3, 4), utcTime(2024, 3, 8)),
                ElementsAre(Seen{"Meeting", berlin(2024, 3, 5, 9), berlin(2024, 3, 5, 10)}));
  }
}

}  // namespace
}  // namespace CorlaMeetings::Testing
