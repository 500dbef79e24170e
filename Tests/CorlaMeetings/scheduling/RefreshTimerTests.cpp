#include "Support/AppDelegateFixture.h"

namespace CorlaMeetings::Testing {
namespace {

using RefreshTimer = AppDelegateFixture;

TEST_F(RefreshTimer, PeriodFollowsTheNextMeetingAtExactThresholds) {
  launch();
  struct Case {
    std::optional<double> startsIn;
    Duration period, tolerance;
  };
  for (Case c : {Case{10740, 60s, 15s},
                 {10800, 60s, 15s},
                 {10801, 300s, 60s},
                 {86400, 300s, 60s},
                 {86401, 900s, 60s},
                 {-60, 60s, 15s} /* in progress */,
                 {std::nullopt, 900s, 60s}}) {
    sim.calendarStore.removeAllEvents();
    if (c.startsIn) {
      addMeeting("Next", *c.startsIn, 3600);
      addMeeting("After", *c.startsIn + 100);  // later meetings never shorten the period
    }
    refresh();
    ASSERT_EQ(sim.runLoop.liveTimerCount(), 1u);
    EXPECT_EQ(sim.runLoop.liveTimers()[0].interval, c.period) << c.startsIn.value_or(-1);
    EXPECT_EQ(sim.runLoop.liveTimers()[0].tolerance, c.tolerance) << c.startsIn.value_or(-1);
  }
}

TEST_F(RefreshTimer, TickRefreshesAndNextTickIsTimedFromTheLatestRefresh) {
  launch();
  int queries = sim.calendarStore.queryCount();
  sim.runLoop.runFor(900s);
  EXPECT_EQ(sim.calendarStore.queryCount(), queries + 1);

  // Refresh pressed 10 s after a tick: the next tick comes 900 s after the press.
  sim.runLoop.runFor(10s);
  refresh();
  queries = sim.calendarStore.queryCount();
  sim.runLoop.runFor(899s);
  EXPECT_EQ(sim.calendarStore.queryCount(), queries);
  sim.runLoop.runFor(1s);
  EXPECT_EQ(sim.calendarStore.queryCount(), queries + 1);
}

TEST_F(RefreshTimer, BurstOfCalendarChangesGivesOneRefreshAfterTheLast) {
  launch();
  const int queries = sim.calendarStore.queryCount();
  addMeeting("New meeting", 1200);
  for (int i = 0; i < 5; ++i) {
    sim.calendarStore.postChange();
    sim.runLoop.runFor(100ms);
  }
  // The fifth change came at 0.4 s; its refresh is due at 1.2 s.
  sim.runLoop.runFor(699ms);
  EXPECT_EQ(sim.calendarStore.queryCount(), queries);
  sim.runLoop.runFor(1ms);
  EXPECT_EQ(sim.calendarStore.queryCount(), queries + 1);
  EXPECT_EQ(title(), "Velto New meeting");
  sim.runLoop.runFor(10s);
  EXPECT_EQ(sim.calendarStore.queryCount(), queries + 1);
}

// systemTimeChanged is what the desktop calls after a suspend or a clock or zone change; the
// timers, on monotonic time, do not notice the jump.
TEST_F(RefreshTimer, ResumePastAMeetingStartShowsItLiveAndRemindsWhatIsNowDue) {
  addMeeting("Design", 2 * 3600, 1800);     // 10:00 - 10:30
  addMeeting("Retro", 2 * 3600 + 20 * 60);  // 10:20
  launch();
  sim.clock.set(localTime(2026, 12, 7, 10, 10));
  sim.runLoop.runUntilIdle();
  ASSERT_TRUE(sim.notificationCenter.posted().empty());  // the jump alone fires no timer
  delegate->systemTimeChanged();
  EXPECT_EQ(title(), "\u25CF Design");
  ASSERT_EQ(sim.notificationCenter.posted().size(), 1u);  // not Design: it has started
  EXPECT_EQ(sim.notificationCenter.posted()[0].body, "Retro starts in 10m.");
  ASSERT_EQ(sim.runLoop.liveTimerCount(), 1u);
  EXPECT_EQ(sim.runLoop.liveTimers()[0].plannedFireTime, localTime(2026, 12, 7, 10, 11));
}

TEST_F(RefreshTimer, ZoneChangeMovesTheLoadedDaysToTheNewLocalMidnight) {
  launch();
  const Instant homeMidnight = localTime(2026, 12, 7);
  // 08:00 on 7 December in New York or Berlin is later on the 7th in Tokyo, whose day began
  // hours before either.
  ScopedDefaultZone tokyo("Asia/Tokyo");
  delegate->systemTimeChanged();
  EXPECT_EQ(sim.calendarStore.lastQueryWindow()->start, localTime(2026, 12, 7));
  EXPECT_EQ(sim.calendarStore.lastQueryWindow()->end, localTime(2026, 12, 11));
  EXPECT_LT(localTime(2026, 12, 7), homeMidnight);
}

}  // namespace
}  // namespace CorlaMeetings::Testing
