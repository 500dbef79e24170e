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

}  // namespace
}  // namespace CorlaMeetings
