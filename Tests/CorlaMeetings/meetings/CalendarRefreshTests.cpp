#include "Support/AppDelegateFixture.h"

namespace CorlaMeetings::Testing {
namespace {

using CalendarRefresh = AppDelegateFixture;

TEST_F(CalendarRefresh, WindowRunsFromLocalMidnightForFourCalendarDays) {
  // Days on and around the clock changes of 2026 (US: 8 Mar, 1 Nov; EU: 29 Mar, 25 Oct):
  // across a change the window is 95 or 97 hours long.
  int crossings = 0;
  for (auto [month, day] : std::vector<std::pair<int, int>>{{3, 6}, {3, 27}, {10, 23}, {10, 29}, {12, 7}}) {
    sim.clock.set(localTime(2026, month, day, 14, 30));
    if (!delegate) launch();
    refresh();
    const auto window = sim.calendarStore.lastQueryWindow();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->start, localTime(2026, month, day)) << month << "/" << day;
    EXPECT_EQ(window->end, localTime(2026, month, day + 4)) << month << "/" << day;
    if (window->end - window->start != std::chrono::hours(96)) ++crossings;
  }
  EXPECT_EQ(crossings, 2);  // each zone changes its clocks within two of these windows
}

TEST_F(CalendarRefresh, KeepsTimedEventsSortedByStartAndEqualStartsInStoreOrder) {
  // Enough meetings starting together that an unstable sort would reorder them.
  std::vector<std::string> together;
  for (int i = 0; i < 20; ++i) addMeeting(together.emplace_back("T" + std::to_string(i)), 7200);
  addMeeting("Earlier today", -5 * 3600);         // 03:00, over by now
  addMeeting("Overnight", -10 * 3600, 3 * 3600);  // started yesterday evening
  addEvent({.title = "Holiday", .startsIn = -8 * 3600, .duration = 86400, .allDay = true});
  addMeeting("Third day", (3 * 24 + 2) * 3600.0);  // 10:00 on the third day after today
  launch();
  std::vector<std::string> expected = {"Overnight", "Earlier today"};
  expected.insert(expected.end(), together.begin(), together.end());
  expected.push_back("Third day");
  EXPECT_EQ(meetingTitles(), expected);
}

using NextMeeting = AppDelegateFixture;

TEST_F(NextMeeting, IsTheFirstMeetingThatHasNotEnded) {
  addMeeting("Ended", -3600, 1800);
  addMeeting("Running", -600, 3600);
  addMeeting("Later", 4000);
  launch();
  EXPECT_EQ(delegate->nextMeeting()->title(), "Running");
  sim.clock.advance(3000s);  // "Running" ends exactly now: no longer next
  EXPECT_EQ(delegate->nextMeeting()->title(), "Later");
  sim.clock.advance(2800s);
  EXPECT_FALSE(delegate->nextMeeting());

  // Day headings follow the clock, not the last refresh.
  EXPECT_EQ(delegate->groupedMeetings()[0].title, "Today");
  sim.clock.advance(86400s);
  EXPECT_EQ(delegate->groupedMeetings()[0].title, "Mon, Dec 7");
}

}  // namespace
}  // namespace CorlaMeetings::Testing
