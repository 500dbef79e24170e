#include "Simulated/SimulatedRunLoop.h"

#include <gtest/gtest.h>

#include <cstdio>
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
      std::snprintf(seconds, sizeof seconds, "%g", std::chrono::duration<double>(clock.now() - kStart).count());
      log.push_back(name + "@" + seconds);
    };
  }

  SimulatedClock clock{kStart};
  SimulatedRunLoop loop{clock};
  std::vector<std::string> log;
};

TEST_F(SimulatedRunLoopTest, RunsJobsByDueTimeAndTiesInSchedulingOrder) {
  auto timer = loop.scheduleRepeatingTimer(10s, note("timer"));
  auto late = loop.runAfter(20s, [this] {
    note("work20")();
    loop.postTask(note("taskFromWork20"));
  });
  auto tie = loop.runAfter(10s, note("work10"));
  auto early = loop.runAfter(5s, note("work5"));
  loop.postTask(note("task"));

  loop.runFor(35s);

  // At 20 the timer was rescheduled (at 10) after work20 was scheduled, and the task that
  // work20 posts comes after both.
  EXPECT_EQ(log, (std::vector<std::string>{"task@0", "work5@5", "timer@10", "work10@10", "work20@20", "timer@20",
                                           "taskFromWork20@20", "timer@30"}));
  EXPECT_EQ(clock.now(), kStart + 35s);
}

// Held up past many periods, the timer fires once and keeps its grid. Setting the wall clock
// back an hour (a user or a time server) does not hold it back: it counts its own time.
TEST_F(SimulatedRunLoopTest, RepeatingTimerKeepsItsGridFiresLateSkipsMissedPeriodsAndIgnoresClockChanges) {
  loop.setTimerLateness(0.5);
  auto timer = loop.scheduleRepeatingTimer(60s, note("tick"));
  timer->setTolerance(15s);
  loop.runFor(200s);
  clock.advance(3430s);
  loop.runUntilIdle();
  clock.jumpWallClock(-1h);
  loop.runFor(60s);

  EXPECT_EQ(log, (std::vector<std::string>{"tick@67.5", "tick@127.5", "tick@187.5", "tick@3630", "tick@67.5"}));
  ASSERT_EQ(loop.liveTimers().size(), 1u);
  EXPECT_EQ(loop.liveTimers()[0].plannedFireTime, kStart + 120s);
}

// Invalidating, cancelling or destroying a handle is safe from inside any job and after the
// loop is gone.
TEST_F(SimulatedRunLoopTest, JobsMayEndTheirOwnAndOtherHandles) {
  std::unique_ptr<Timer> selfDestroying;
  selfDestroying = loop.scheduleRepeatingTimer(10s, [&] {
    note("selfDestroying")();
    selfDestroying.reset();
  });
  std::unique_ptr<DelayedWork> second;
  auto first = loop.runAfter(5s, [&] { second->cancel(); });
  second = loop.runAfter(5s, note("second"));
  auto timer = loop.scheduleRepeatingTimer(5s, note("timer"));
  auto invalidator = loop.runAfter(5s, [&] { timer->invalidate(); });
  // Dropping a closure that owns another handle must not deadlock on the loop's lock.
  std::shared_ptr<DelayedWork> inner = loop.runAfter(10s, note("inner"));
  auto outer = loop.runAfter(5s, [inner] {});
  inner.reset();
  outer.reset();

  loop.runFor(100s);

  // The timer was scheduled before `invalidator`, so it fires once at 5 and then never.
  EXPECT_EQ(log, (std::vector<std::string>{"timer@5", "selfDestroying@10"}));
  EXPECT_EQ(loop.pendingWorkCount(), 0u);
  EXPECT_EQ(loop.liveTimerCount(), 0u);

  std::unique_ptr<DelayedWork> orphan;
  {
    SimulatedRunLoop shortLived(clock);
    orphan = shortLived.runAfter(1s, [] {});
  }
  orphan->cancel();
}

TEST_F(SimulatedRunLoopTest, CarelessDelaysAndIntervalsNeitherHangNorMisbehave) {
  auto negative = loop.runAfter(-5s, note("negative"));
  auto never = loop.runAfter(Duration::max(), note("never"));
  int zeroTicks = 0;
  auto zeroTimer = loop.scheduleRepeatingTimer(0s, [&] { ++zeroTicks; });
  EXPECT_TRUE(loop.runFor(1s));
  EXPECT_EQ(log, (std::vector<std::string>{"negative@0"}));
  EXPECT_EQ(zeroTicks, 1000);  // the shortest interval, a millisecond
  EXPECT_EQ(loop.pendingWorkCount(), 1u);
}

}  // namespace
}  // namespace CorlaMeetings
