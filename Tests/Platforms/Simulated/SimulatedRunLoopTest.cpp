#include "Simulated/SimulatedRunLoop.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace CorlaMeetings::Testing {
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

}  // namespace
}  // namespace CorlaMeetings::Testing
