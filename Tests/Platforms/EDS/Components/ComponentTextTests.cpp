#include "EDS/Components/ComponentText.h"

#include <gtest/gtest.h>

namespace CorlaMeetings::Testing {
namespace {

using Names = std::vector<std::string>;

TEST(ComponentText, FindsTheZonesAComponentNames) {
  // clang-format off
  const std::tuple<const char*, std::string, Names> cases[] = {
      {"start and end, named once", "BEGIN:VEVENT\r\nDTSTART;TZID=Europe/Berlin:20261207T090000\r\n"
                                    "DTEND;TZID=Europe/Berlin:20261207T100000\r\nEND:VEVENT\r\n",
       {"Europe/Berlin"}},
      {"quoted, among other parameters, in any case",
       "EXDATE;VALUE=DATE-TIME;tzid=\"W. Europe Standard Time\";X=1:20261207T090000\n"
       "RECURRENCE-ID;TZID=Velto Test Zone:20261208T090000\n",
       {"W. Europe Standard Time", "Velto Test Zone"}},
      {"across a folded line", "DTSTART;TZID=/freeassociation.sourceforge.net/Eur\r\n ope/Berlin:20261207T090000\r\n",
       {"/freeassociation.sourceforge.net/Europe/Berlin"}},
      {"not in values or quoted parameters",
       "SUMMARY:;TZID=Nope\nDESCRIPTION;X-A=\";TZID=Nope\":x\nDTSTART:20261207T090000Z\n", {}},
  };
  // clang-format on
  for (const auto& [what, text, expected] : cases) {
    SCOPED_TRACE(what);
    EXPECT_EQ(referencedTimeZones(text), expected);
  }
}

TEST(ComponentText, NamesAreBoundedInLengthAndNumber) {
  std::string text = "DTSTART;TZID=" + std::string(300, 'x') + ":20261207T090000\n";
  for (int i = 0; i < 100; ++i) text += "EXDATE;TZID=Zone" + std::to_string(i) + ":20261207T090000\n";
  Names names = referencedTimeZones(text);
  EXPECT_EQ(names.size(), 32u);
  EXPECT_EQ(names.front(), "Zone0");
}

TEST(ComponentText, TellsASeriesByItsRules) {
  EXPECT_TRUE(recurs("BEGIN:VEVENT\r\nRRULE:FREQ=DAILY\r\nEND:VEVENT\r\n"));
  EXPECT_TRUE(recurs("BEGIN:VEVENT\nrdate;VALUE=DATE:20261207\nEND:VEVENT\n"));
  EXPECT_FALSE(recurs("BEGIN:VEVENT\r\nDESCRIPTION:no\r\n RRULE:FREQ=DAILY\r\nRRULES:x\r\nEND:VEVENT\r\n"));
}

}  // namespace
}  // namespace CorlaMeetings::Testing
