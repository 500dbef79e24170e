#include "Support/AppDelegateFixture.h"

namespace CorlaMeetings::Testing {
namespace {

using CalendarRefresh = AppDelegateFixture;

TEST_F(CalendarRefresh, WindowRunsFromLocalMidnightForFourCalendarDays) {
  // Days on and around the clock changes of 2026 in both test zones (US: 8 Mar, 1 Nov;
  // EU: 29 Mar, 25 Oct). Each window must run from midnight to midnight, whatever the
  // zone, so across a change it is 95 or 97 hours long.
  struct Day {
    int month, day;
  };
  int crossings = 0;
  for (Day d : {Day{3, 6}, Day{3, 27}, Day{10, 23}, Day{10, 29}, Day{12, 7}}) {
    sim.clock.set(localTime(2026, d.month, d.day, 14, 30));
    if (!delegate) launch();
    refresh();
    auto window = sim.calendarStore.lastQueryWindow();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->start, localTime(2026, d.month, d.day)) << d.month << "/" << d.day;
    EXPECT_EQ(window->end, localTime(2026, d.month, d.day + 4)) << d.month << "/" << d.day;
    if (window->end - window->start != std::chrono::hours(96)) ++crossings;
  }
  EXPECT_EQ(crossings, 2);  // each zone changes its clocks within two of these windows
}

TEST_F(CalendarRefresh, KeepsTimedEventsOfTheWindowSortedByStart) {
  addMeeting("Later", 7200);
  addMeeting("Earlier today", -5 * 3600, 1800);            // 03:00, over by now
  addMeeting("Overnight", -10 * 3600, 3 * 3600);          // started yesterday evening
  addEvent({.title = "Holiday", .startsIn = -8 * 3600, .duration = 86400, .allDay = true});
  addMeeting("Third day", (3 * 24 + 2) * 3600.0);         // 10:00 on the third day after today
  addMeeting("Fourth day", (4 * 24 + 2) * 3600.0);        // 10:00 on the fourth: outside
  launch();
  EXPECT_EQ(meetingTitles(), (std::vector<std::string>{"Overnight", "Earlier today", "Later", "Third day"}));
}

TEST_F(CalendarRefresh, EqualStartsKeepTheStoreOrder) {
  for (const char* name : {"C", "A", "B", "D"}) addMeeting(name, 3600);
  addMeeting("First", 1800);
  launch();
  EXPECT_EQ(meetingTitles(), (std::vector<std::string>{"First", "C", "A", "B", "D"}));
}

TEST_F(CalendarRefresh, DetectsJoinLinksOncePerLoad) {
  addEvent({.title = "Sync", .notes = "Join: https://zoom.us/j/123. Thanks"});
  addEvent({.title = "Agenda", .url = "https://example.com/agenda"});
  addEvent({.title = "Hostile", .url = "file:///etc/passwd"});
  launch();
  const auto& meetings = delegate->currentMeetings();
  ASSERT_EQ(meetings.size(), 3u);
  EXPECT_EQ(meetings[0].joinURL->absoluteString(), "https://zoom.us/j/123");
  EXPECT_EQ(meetings[1].joinURL->absoluteString(), "https://example.com/agenda");
  EXPECT_FALSE(meetings[2].joinURL);
}

TEST_F(CalendarRefresh, EmptyStoreGivesHeaderAndNoMeetingsCard) {
  launch();
  EXPECT_TRUE(delegate->currentMeetings().empty());
  EXPECT_EQ(title(), "Velto");
  EXPECT_EQ(menuOutline(),
            (std::vector<std::string>{"[header]", "---", "[status] No meetings", "---", "Refresh (r)",
                                      "Open Calendar (o)", "Reminder: 15 min before", "Request Calendar Permission",
                                      "---", "Quit (q)"}));
}

using DayGrouping = AppDelegateFixture;

TEST_F(DayGrouping, GroupsByLocalDayWithTodayTomorrowAndDatedHeadings) {
  addMeeting("Today 1", 3600);
  addMeeting("Today 2", 2 * 3600);
  addMeeting("Late tonight", 15.5 * 3600);     // 23:30
  addMeeting("Just after midnight", 16.5 * 3600);  // 00:30 tomorrow
  addMeeting("Wednesday", (2 * 24 + 1) * 3600.0);
  launch();
  std::vector<DaySection> sections = delegate->groupedMeetings();
  ASSERT_EQ(sections.size(), 3u);
  EXPECT_EQ(sections[0].title, "Today");
  EXPECT_EQ(sections[0].items.size(), 3u);
  EXPECT_EQ(sections[1].title, "Tomorrow");
  EXPECT_EQ(sections[1].items[0].title(), "Just after midnight");
  EXPECT_EQ(sections[2].title, "Wed, Dec 9");
}

TEST_F(DayGrouping, AMeetingFromYesterdayGetsItsOwnDatedSectionFirst) {
  addMeeting("Overnight", -10 * 3600, 3 * 3600);
  addMeeting("Today", 3600);
  launch();
  std::vector<DaySection> sections = delegate->groupedMeetings();
  ASSERT_EQ(sections.size(), 2u);
  EXPECT_EQ(sections[0].title, "Sun, Dec 6");
  EXPECT_EQ(sections[1].title, "Today");
}

TEST_F(DayGrouping, HeadingsFollowTheDateWithoutARefresh) {
  addMeeting("Tomorrow morning", 24 * 3600);
  launch();
  EXPECT_EQ(delegate->groupedMeetings()[0].title, "Tomorrow");
  sim.clock.advance(20 * 3600);  // past midnight
  EXPECT_EQ(delegate->groupedMeetings()[0].title, "Today");
}

using NextMeeting = AppDelegateFixture;

TEST_F(NextMeeting, IsTheFirstMeetingThatHasNotEnded) {
  addMeeting("Ended", -3600, 1800);
  addMeeting("Running", -600, 3600);
  addMeeting("Later", 4000);
  launch();
  EXPECT_EQ(delegate->nextMeeting()->title(), "Running");

  sim.clock.advance(3000);  // "Running" ends exactly now: no longer next
  EXPECT_EQ(delegate->nextMeeting()->title(), "Later");
  sim.clock.advance(2800);
  EXPECT_FALSE(delegate->nextMeeting());
  EXPECT_EQ(delegate->groupedMeetings()[0].items.size(), 3u);
}

}  // namespace
}  // namespace CorlaMeetings::Testing
