#include "Simulated/SimulatedRunLoop.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace CorlaMeetings {
namespace {

const Instant kStart = Instant{std::chrono::seconds{1'700'000'000}};

class SimulatedRunLoopTest : public testing::Test {
 protected:
  double elapsed() const { return secondsBetween(kStart, clock.now()); }

  // An action that logs its name and the seconds since the start, as "name@seconds".
  std::function<void()> note(std::string name) {
    return [this, name] {
      char seconds[32];
      std::snprintf(seconds, sizeof seconds, "%g", elapsed());
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
  EXPECT_EQ(loop.totalTimerFirings(), 3u);
}

TEST_F(SimulatedRunLoopTest, RepeatingTimerStaysOnItsGridAndFiresLateByLatenessTimesTolerance) {
  struct Case {
    double lateness;
    std::vector<std::string> firings;
  };
  const Case cases[] = {
      {0, {"tick@60", "tick@120", "tick@180"}},
      {0.5, {"tick@67.5", "tick@127.5", "tick@187.5"}},
      {1, {"tick@75", "tick@135", "tick@195"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lateness);
    clock.set(kStart);
    log.clear();
    loop.setTimerLateness(c.lateness);
    auto timer = loop.scheduleRepeatingTimer(60, note("tick"));
    timer->setTolerance(15);

    loop.runFor(200);

    EXPECT_EQ(log, c.firings);
  }
}

TEST_F(SimulatedRunLoopTest, ClockJumpFiresTimerOnceAndSkipsMissedPeriods) {
  auto timer = loop.scheduleRepeatingTimer(60, note("tick"));

  clock.set(addingSeconds(kStart, 3630));  // as after an hour's suspend
  loop.runUntilIdle();

  EXPECT_EQ(log, std::vector<std::string>{"tick@3630"});
  ASSERT_EQ(loop.liveTimers().size(), 1u);
  EXPECT_EQ(loop.liveTimers()[0].plannedFireTime, addingSeconds(kStart, 3660));
}

TEST_F(SimulatedRunLoopTest, TimerMayDestroyItsOwnHandleWhileFiring) {
  std::unique_ptr<Timer> timer;
  int firings = 0;
  timer = loop.scheduleRepeatingTimer(10, [&] {
    ++firings;
    timer.reset();
  });

  loop.runFor(100);

  EXPECT_EQ(firings, 1);
  EXPECT_EQ(loop.liveTimerCount(), 0u);
}

TEST_F(SimulatedRunLoopTest, TaskReplacingTheTimerThatTickedArmsAFreshPeriod) {
  // How a refresh re-arms the timer: the tick posts a task, the task swaps the timer.
  std::unique_ptr<Timer> timer;
  std::function<void()> arm = [&] {
    timer = loop.scheduleRepeatingTimer(300, [&] {
      note("tick")();
      loop.postTask(arm);
    });
  };
  arm();

  loop.runFor(1000);

  EXPECT_EQ(log, (std::vector<std::string>{"tick@300", "tick@600", "tick@900"}));
  EXPECT_EQ(loop.liveTimerCount(), 1u);
}

TEST_F(SimulatedRunLoopTest, JobCancellingWorkDueAtTheSameTimeStopsIt) {
  std::unique_ptr<DelayedWork> second;
  auto first = loop.runAfter(5, [&] { second->cancel(); });
  second = loop.runAfter(5, note("second"));
  auto timer = loop.scheduleRepeatingTimer(5, note("timer"));
  auto invalidator = loop.runAfter(5, [&] { timer->invalidate(); });

  loop.runFor(20);

  // The timer was scheduled before `invalidator`, so it fires once at 5 and then never.
  EXPECT_EQ(log, std::vector<std::string>{"timer@5"});
  EXPECT_EQ(loop.pendingWorkCount(), 0u);
}

TEST_F(SimulatedRunLoopTest, CancellingWorkWhoseClosureOwnsAnotherHandleCancelsBoth) {
  // The inner handle is destroyed with the outer closure; that must not deadlock on the
  // loop's lock.
  std::shared_ptr<DelayedWork> inner = loop.runAfter(10, note("inner"));
  auto outer = loop.runAfter(5, [inner] {});
  inner.reset();

  outer.reset();
  loop.runFor(20);

  EXPECT_TRUE(log.empty());
  EXPECT_EQ(loop.pendingWorkCount(), 0u);
}

TEST_F(SimulatedRunLoopTest, HandlesOutlivingTheLoopAreHarmless) {
  std::unique_ptr<Timer> timer;
  std::unique_ptr<DelayedWork> work;
  {
    SimulatedRunLoop shortLived(clock);
    timer = shortLived.scheduleRepeatingTimer(1, [] {});
    work = shortLived.runAfter(1, [] {});
  }
  timer->setTolerance(1);
  timer->invalidate();
  work->cancel();
  timer.reset();
  work.reset();
}

TEST_F(SimulatedRunLoopTest, TasksPostedFromAnotherThreadRunInOrderOnTheLoopThread) {
  constexpr int kTasks = 2000;
  std::vector<int> ran;
  std::vector<std::thread::id> threads;
  std::thread poster([&] {
    for (int i = 0; i < kTasks; ++i) {
      loop.postTask([&, i] {
        ran.push_back(i);
        threads.push_back(std::this_thread::get_id());
      });
    }
  });
  // Runs while the other thread is still posting, to exercise the lock.
  for (int i = 0; i < 100; ++i) loop.runUntilIdle();
  poster.join();
  loop.runUntilIdle();

  ASSERT_EQ(ran.size(), static_cast<std::size_t>(kTasks));
  for (int i = 0; i < kTasks; ++i) EXPECT_EQ(ran[i], i);
  for (auto id : threads) EXPECT_EQ(id, std::this_thread::get_id());
  EXPECT_EQ(clock.now(), kStart);
}

TEST_F(SimulatedRunLoopTest, RunUntilIdleRunsChainedTasksButNothingLater) {
  auto later = loop.runAfter(0.001, note("later"));
  loop.postTask([this] { loop.postTask(note("chained")); });

  EXPECT_TRUE(loop.runUntilIdle());

  EXPECT_EQ(log, std::vector<std::string>{"chained@0"});
  EXPECT_EQ(loop.pendingWorkCount(), 1u);
}

TEST_F(SimulatedRunLoopTest, GivesUpOnATaskThatKeepsPostingItself) {
  int runs = 0;
  std::function<void()> again = [&] {
    ++runs;
    loop.postTask(again);
  };
  loop.setJobLimit(1000);
  loop.postTask(again);

  EXPECT_FALSE(loop.runFor(60));

  EXPECT_EQ(runs, 1000);
  EXPECT_EQ(loop.pendingTaskCount(), 1u);
  EXPECT_EQ(clock.now(), kStart);
}

TEST_F(SimulatedRunLoopTest, CarelessDelaysAndIntervalsNeitherHangNorMisbehave) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double infinity = std::numeric_limits<double>::infinity();
  auto negative = loop.runAfter(-5, note("negative"));
  auto notANumber = loop.runAfter(nan, note("nan"));
  auto never = loop.runAfter(infinity, note("never"));
  int zeroTicks = 0;
  auto zeroTimer = loop.scheduleRepeatingTimer(0, [&] { ++zeroTicks; });
  auto nanTimer = loop.scheduleRepeatingTimer(nan, [] {});
  nanTimer->setTolerance(nan);

  EXPECT_TRUE(loop.runFor(1));

  EXPECT_EQ(log, (std::vector<std::string>{"negative@0", "nan@0"}));
  EXPECT_EQ(zeroTicks, 1000);  // the shortest interval, a millisecond
  EXPECT_EQ(loop.pendingWorkCount(), 1u);
  EXPECT_EQ(loop.liveTimers()[1].tolerance, 0);
}

}  // namespace
}  // namespace CorlaMeetings
