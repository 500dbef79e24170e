#include "Support/AppDelegateFixture.h"
#include "scheduling/RefreshSchedule.h"

namespace CorlaMeetings::Testing {
namespace {

using RefreshTimer = AppDelegateFixture;

TEST_F(RefreshTimer, PeriodFollowsTheNextMeetingAtExactThresholds) {
  struct Case {
    double startsIn;
    double period;
    double tolerance;
  };
  for (Case c : {Case{10740, 60, 15}, Case{10800, 60, 15}, Case{10801, 300, 60}, Case{86400, 300, 60},
                 Case{86401, 900, 60}, Case{-60, 60, 15} /* in progress */}) {
    sim.calendarStore.removeAllEvents();
    addMeeting("Next", c.startsIn, 3600);
    addMeeting("After", c.startsIn + 100);  // later meetings never shorten the period
    if (!delegate) launch();
    refresh();
    ASSERT_EQ(sim.runLoop.liveTimerCount(), 1u);
    EXPECT_EQ(sim.runLoop.liveTimers()[0].interval, c.period) << c.startsIn;
    EXPECT_EQ(sim.runLoop.liveTimers()[0].tolerance, c.tolerance) << c.startsIn;
  }
}

TEST_F(RefreshTimer, NoMeetingsWaitsFifteenMinutesAndNoAccessFive) {
  launch();
  EXPECT_EQ(sim.runLoop.liveTimers()[0].interval, 900);
  EXPECT_EQ(delegate->fallbackRefreshInterval(), 900);

  sim.calendarStore.answerAccessWith(false);
  delegate->requestCalendarClicked();
  sim.runLoop.runUntilIdle();
  EXPECT_EQ(sim.runLoop.liveTimers()[0].interval, 300);
  EXPECT_EQ(sim.runLoop.liveTimers()[0].tolerance, 60);
}

TEST_F(RefreshTimer, TickRefreshesAndNextTickIsTimedFromTheLatestRefresh) {
  launch();
  int queries = sim.calendarStore.queryCount();
  sim.runLoop.runFor(900);
  EXPECT_EQ(sim.calendarStore.queryCount(), queries + 1);

  // Refresh pressed 10 s after a tick: the next tick comes 900 s after the press.
  sim.runLoop.runFor(10);
  refresh();
  queries = sim.calendarStore.queryCount();
  sim.runLoop.runFor(899);
  EXPECT_EQ(sim.calendarStore.queryCount(), queries);
  sim.runLoop.runFor(1);
  EXPECT_EQ(sim.calendarStore.queryCount(), queries + 1);
}

TEST_F(RefreshTimer, OnlyOneTimerIsEverArmed) {
  addMeeting("Soon", 600);
  launch();
  for (int i = 0; i < 5; ++i) refresh();
  sim.runLoop.runFor(3 * 3600);
  EXPECT_EQ(sim.runLoop.liveTimerCount(), 1u);
}

TEST_F(RefreshTimer, LateFiringWithinToleranceStillRefreshes) {
  sim.runLoop.setTimerLateness(1.0);
  addMeeting("Soon", 1800);
  launch();
  int queries = sim.calendarStore.queryCount();
  sim.runLoop.runFor(74);
  EXPECT_EQ(sim.calendarStore.queryCount(), queries);
  sim.runLoop.runFor(1);  // 60 s period + 15 s tolerance
  EXPECT_EQ(sim.calendarStore.queryCount(), queries + 1);
}

TEST(RefreshScheduleTolerance, IsAQuarterOfThePeriodCappedAtAMinute) {
  EXPECT_EQ(refreshTolerance(60), 15);
  EXPECT_EQ(refreshTolerance(300), 60);
  EXPECT_EQ(refreshTolerance(900), 60);
}

using CalendarChangeDebounce = AppDelegateFixture;

TEST_F(CalendarChangeDebounce, BurstOfChangesGivesOneRefreshAfterTheLast) {
  launch();
  int queries = sim.calendarStore.queryCount();
  for (int i = 0; i < 5; ++i) {
    sim.calendarStore.postChange();
    sim.runLoop.runFor(0.1);
  }
  // The fifth change came at 0.4 s; its refresh is due at 1.2 s.
  sim.runLoop.runFor(0.7 - 0.001);
  EXPECT_EQ(sim.calendarStore.queryCount(), queries);
  sim.runLoop.runFor(0.001);
  EXPECT_EQ(sim.calendarStore.queryCount(), queries + 1);
  sim.runLoop.runFor(10);
  EXPECT_EQ(sim.calendarStore.queryCount(), queries + 1);
}

TEST_F(CalendarChangeDebounce, ChangesASecondApartEachRefresh) {
  launch();
  int queries = sim.calendarStore.queryCount();
  sim.calendarStore.postChange();
  sim.runLoop.runFor(1);
  sim.calendarStore.postChange();
  sim.runLoop.runFor(1);
  EXPECT_EQ(sim.calendarStore.queryCount(), queries + 2);
}

TEST_F(CalendarChangeDebounce, RefreshPicksUpTheEditedCalendar) {
  launch();
  addMeeting("New meeting", 1200);
  sim.calendarStore.postChange();
  sim.runLoop.runFor(0.8);
  EXPECT_EQ(meetingTitles(), std::vector<std::string>{"New meeting"});
  EXPECT_EQ(title(), "Velto New meeting");
}

}  // namespace
}  // namespace CorlaMeetings::Testing
