#include "Simulated/SimulatedRunLoop.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace CorlaMeetings {
namespace {

const Instant kStart = Instant{std::chrono::seconds{1'700'000'000}};

class SimulatedRunLoopTest : public testing::Test {
 protected:
  // An action that logs its name and the seconds since the start, as "name@seconds".
  std::function<void()> note(std::string name) {
    return [this, name] {
      char seconds[32];
      std::snprintf(seconds, sizeof seconds, "%g", secondsBetween(kStart, clock.now()));
      log.push_back(name + "@" + seconds);
    };
  }

  SimulatedClock clock{kStart};
  SimulatedRunLoop loop{clock};
  std::vector<std::string> log;
};

TEST_F(SimulatedRunLoopTest, RunsJobsByDueTimeAndTiesInSchedulingOrder) {
  auto timer = loop.scheduleRepeatingTimer(10, note("timer"));
  auto late = loop.runAfter(20, [this] {
    note("work20")();
    loop.postTask(note("taskFromWork20"));
  });
  auto tie = loop.runAfter(10, note("work10"));
  auto early = loop.runAfter(5, note("work5"));
  loop.postTask(note("task"));

  loop.runFor(35);

  // At 20 the timer was rescheduled (at 10) after work20 was scheduled, and the task that
  // work20 posts comes after both.
  EXPECT_EQ(log, (std::vector<std::string>{"task@0", "work5@5", "timer@10", "work10@10", "work20@20", "timer@20",
                                           "taskFromWork20@20", "timer@30"}));
  EXPECT_EQ(clock.now(), addingSeconds(kStart, 35));
}

// As after a suspend: the clock jumps past many periods, the timer fires once and keeps its grid.
TEST_F(SimulatedRunLoopTest, RepeatingTimerKeepsItsGridFiresLateByLatenessAndSkipsMissedPeriods) {
  loop.setTimerLateness(0.5);
  auto timer = loop.scheduleRepeatingTimer(60, note("tick"));
  timer->setTolerance(15);
  loop.runFor(200);
  clock.set(addingSeconds(kStart, 3630));
  loop.runUntilIdle();

  EXPECT_EQ(log, (std::vector<std::string>{"tick@67.5", "tick@127.5", "tick@187.5", "tick@3630"}));
  ASSERT_EQ(loop.liveTimers().size(), 1u);
  EXPECT_EQ(loop.liveTimers()[0].plannedFireTime, addingSeconds(kStart, 3660));
}

// Invalidating, cancelling or destroying a handle is safe from inside any job and after the
// loop is gone.
TEST_F(SimulatedRunLoopTest, JobsMayEndTheirOwnAndOtherHandles) {
  std::unique_ptr<Timer> selfDestroying;
  selfDestroying = loop.scheduleRepeatingTimer(10, [&] {
    note("selfDestroying")();
    selfDestroying.reset();
  });
  std::unique_ptr<DelayedWork> second;
  auto first = loop.runAfter(5, [&] { second->cancel(); });
  second = loop.runAfter(5, note("second"));
  auto timer = loop.scheduleRepeatingTimer(5, note("timer"));
  auto invalidator = loop.runAfter(5, [&] { timer->invalidate(); });
  // Dropping a closure that owns another handle must not deadlock on the loop's lock.
  std::shared_ptr<DelayedWork> inner = loop.runAfter(10, note("inner"));
  auto outer = loop.runAfter(5, [inner] {});
  inner.reset();
  outer.reset();

  loop.runFor(100);

  // The timer was scheduled before `invalidator`, so it fires once at 5 and then never.
  EXPECT_EQ(log, (std::vector<std::string>{"timer@5", "selfDestroying@10"}));
  EXPECT_EQ(loop.pendingWorkCount(), 0u);
  EXPECT_EQ(loop.liveTimerCount(), 0u);

  std::unique_ptr<DelayedWork> orphan;
  {
    SimulatedRunLoop shortLived(clock);
    orphan = shortLived.runAfter(1, [] {});
  }
  orphan->cancel();
}

TEST_F(SimulatedRunLoopTest, CarelessDelaysAndIntervalsNeitherHangNorMisbehave) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  auto negative = loop.runAfter(-5, note("negative"));
  auto notANumber = loop.runAfter(nan, note("nan"));
  auto never = loop.runAfter(std::numeric_limits<double>::infinity(), note("never"));
  int zeroTicks = 0;
  auto zeroTimer = loop.scheduleRepeatingTimer(0, [&] { ++zeroTicks; });
  EXPECT_TRUE(loop.runFor(1));
  EXPECT_EQ(log, (std::vector<std::string>{"negative@0", "nan@0"}));
  EXPECT_EQ(zeroTicks, 1000);  // the shortest interval, a millisecond
  EXPECT_EQ(loop.pendingWorkCount(), 1u);
}

}  // namespace
}  // namespace CorlaMeetings
