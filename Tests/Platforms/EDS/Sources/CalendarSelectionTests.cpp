#include "EDS/Sources/CalendarSelection.h"

#include <gtest/gtest.h>

namespace CorlaMeetings::Testing {
namespace {

using Uids = std::vector<std::string>;

TEST(CalendarSelection, PicksTheCalendarsTheEntriesAskFor) {
  const std::vector<DesktopCalendar> calendars = {
      {"system-calendar", "Personal", "local", true, true},
      {"birthdays", "Birthdays & Anniversaries", "contacts", true, true},
      {"work-uid", "Work", "caldav", true, true},
      {"hidden-uid", "Holidays", "webcal", true, false},
      {"off-uid", "Old", "local", false, true},
      {"team-uid", "Work", "google", true, false},
  };
  // clang-format off
  const std::tuple<const char*, std::vector<std::string>, Uids, Uids> cases[] = {
      {"every selected and enabled calendar, birthdays left out", {""}, {"system-calendar", "work-uid"}, {}},
      {"by name, selected or not", {"Work"}, {"work-uid", "team-uid"}, {}},
      {"by UID", {"hidden-uid"}, {"hidden-uid"}, {}},
      {"birthdays by name", {"Birthdays & Anniversaries"}, {"birthdays"}, {}},
      {"disabled calendars never, and unknown names reported", {"Old", "Nope", "Nope"}, {}, {"Old", "Nope"}},
      {"all and a name together, each calendar once", {"", "Holidays"}, {"system-calendar", "work-uid", "hidden-uid"},
       {}},
      {"nothing asked", {}, {}, {}},
  };
  // clang-format on
  for (const auto& [what, wanted, uids, unmatched] : cases) {
    SCOPED_TRACE(what);
    CalendarSelection selection = selectCalendars(calendars, wanted);
    EXPECT_EQ(selection.uids, uids);
    EXPECT_EQ(selection.unmatched, unmatched);
  }
}

}  // namespace
}  // namespace CorlaMeetings::Testing
