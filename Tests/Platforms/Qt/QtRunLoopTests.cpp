#include "Qt/QtRunLoop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Platforms/Qt/EventLoopSupport.h"

namespace CorlaMeetings {
namespace {

TEST(QtRunLoop, RunsDelayedWorkByDueTimeAndTiesInSchedulingOrder) {
  QtRunLoop loop;
  std::vector<std::string> ran;
  auto late = loop.runAfter(0.06, [&] { ran.push_back("late"); });
  auto first = loop.runAfter(0.02, [&] { ran.push_back("first"); });
  auto second = loop.runAfter(0.02, [&] { ran.push_back("second"); });

  ASSERT_TRUE(runEventsUntil([&] { return ran.size() == 3; }));
  EXPECT_EQ(ran, (std::vector<std::string>{"first", "second", "late"}));
}

TEST(QtRunLoop, CarelessDelaysRunOnTheNextTurn) {
  for (double delay : {0.0, -5.0, std::nan("")}) {
    QtRunLoop loop;
    bool ran = false;
    auto work = loop.runAfter(delay, [&] { ran = true; });
    EXPECT_FALSE(ran) << delay;
    EXPECT_TRUE(runEventsUntil([&] { return ran; }, 500)) << delay;
  }
}

TEST(QtRunLoop, CancelledOrDroppedWorkNeverRuns) {
  QtRunLoop loop;
  int ran = 0;
  auto cancelled = loop.runAfter(0.02, [&] { ++ran; });
  auto dropped = loop.runAfter(0.02, [&] { ++ran; });
  cancelled->cancel();
  dropped.reset();
  bool marker = false;
  auto after = loop.runAfter(0.05, [&] { marker = true; });

  ASSERT_TRUE(runEventsUntil([&] { return marker; }));
  runEventsFor(30);
  EXPECT_EQ(ran, 0);
  cancelled->cancel();  // again, after the fact: harmless
}

TEST(QtRunLoop, WorkMayDropItsOwnHandle) {
  QtRunLoop loop;
  int ran = 0;
  std::unique_ptr<DelayedWork> work;
  work = loop.runAfter(0.01, [&] {
    ++ran;
    work.reset();
  });

  ASSERT_TRUE(runEventsUntil([&] { return work == nullptr; }));
  runEventsFor(30);
  EXPECT_EQ(ran, 1);
}

TEST(QtRunLoop, RepeatingTimerFiresUntilInvalidated) {
  QtRunLoop loop;
  int fired = 0;
  auto timer = loop.scheduleRepeatingTimer(0.02, [&] { ++fired; });
  timer->setTolerance(0.005);  // a quarter of the interval: a coarse timer, restarted

  ASSERT_TRUE(runEventsUntil([&] { return fired >= 3; }));
  timer->invalidate();
  int firedBefore = fired;
  runEventsFor(80);
  EXPECT_EQ(fired, firedBefore);
}

TEST(QtRunLoop, TimerInvalidatedOrDroppedFromItsOwnActionStops) {
  QtRunLoop loop;
  int invalidatedFirings = 0;
  int droppedFirings = 0;
  std::unique_ptr<Timer> invalidated;
  std::unique_ptr<Timer> dropped;
  invalidated = loop.scheduleRepeatingTimer(0.01, [&] {
    ++invalidatedFirings;
    invalidated->invalidate();
  });
  dropped = loop.scheduleRepeatingTimer(0.01, [&] {
    ++droppedFirings;
    dropped.reset();
  });

  ASSERT_TRUE(runEventsUntil([&] { return invalidatedFirings > 0 && droppedFirings > 0; }));
  runEventsFor(60);
  EXPECT_EQ(invalidatedFirings, 1);
  EXPECT_EQ(droppedFirings, 1);
}

TEST(QtRunLoop, HandlesOutliveTheLoopAndItsPendingJobsNeverRun) {
  int ran = 0;
  auto loop = std::make_unique<QtRunLoop>();
  auto timer = loop->scheduleRepeatingTimer(0.01, [&] { ++ran; });
  auto work = loop->runAfter(0.01, [&] { ++ran; });
  loop->postTask([&] { ++ran; });
  loop.reset();

  runEventsFor(50);
  EXPECT_EQ(ran, 0);
  timer->setTolerance(1);
  timer->invalidate();
  work->cancel();
  timer.reset();
  work.reset();
}

TEST(QtRunLoop, PostedTaskRunsAfterTheCurrentJobNotInsideIt) {
  QtRunLoop loop;
  std::vector<std::string> ran;
  loop.postTask([&] {
    loop.postTask([&] { ran.push_back("inner"); });
    ran.push_back("outer");
  });
  EXPECT_TRUE(ran.empty());

  ASSERT_TRUE(runEventsUntil([&] { return ran.size() == 2; }));
  EXPECT_EQ(ran, (std::vector<std::string>{"outer", "inner"}));
}

TEST(QtRunLoop, TasksPostedFromAnotherThreadRunOnTheMainThreadInOrder) {
  QtRunLoop loop;
  const std::thread::id mainThread = std::this_thread::get_id();
  std::vector<int> ran;
  bool allOnMainThread = true;
  constexpr int kTasks = 100;

  std::thread poster([&] {
    for (int i = 0; i < kTasks; ++i) {
      loop.postTask([&, i] {
        allOnMainThread = allOnMainThread && std::this_thread::get_id() == mainThread;
        ran.push_back(i);
      });
    }
  });
  poster.join();

  ASSERT_TRUE(runEventsUntil([&] { return ran.size() == kTasks; }));
  EXPECT_TRUE(allOnMainThread);
  for (int i = 0; i < kTasks; ++i) EXPECT_EQ(ran[i], i);
}

}  // namespace
}  // namespace CorlaMeetings
