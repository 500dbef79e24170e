#include "Qt/QtRunLoop.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Platforms/Qt/EventLoopSupport.h"
#include "Qt/QtApplication.h"

namespace CorlaMeetings {
namespace {

TEST(QtRunLoop, RunsByDueTimeTiesInSchedulingOrderAndPostedTasksAfterTheCurrentJob) {
  QtRunLoop loop;
  std::vector<std::string> ran;
  auto late = loop.runAfter(60ms, [&] {
    loop.postTask([&] { ran.push_back("posted"); });
    ran.push_back("late");
  });
  auto first = loop.runAfter(20ms, [&] { ran.push_back("first"); });
  auto second = loop.runAfter(20ms, [&] { ran.push_back("second"); });
  auto careless = loop.runAfter(-1ms, [&] { ran.push_back("now"); });
  EXPECT_TRUE(ran.empty());

  ASSERT_TRUE(runEventsUntil([&] { return ran.size() == 5; }));
  EXPECT_EQ(ran, (std::vector<std::string>{"now", "first", "second", "late", "posted"}));
}

// Invalidating, cancelling or dropping a handle is safe from inside its own job, and after the
// loop is gone; jobs still pending then never run, posted tasks included.
TEST(QtRunLoop, CancelledDroppedOrOrphanedJobsNeverRunAndJobsMayEndTheirOwnHandles) {
  auto loop = std::make_unique<QtRunLoop>();
  int work = 0, invalidated = 0, dropped = 0, never = 0;
  std::unique_ptr<DelayedWork> workHandle, cancelled = loop->runAfter(10ms, [&] { ++never; });
  std::unique_ptr<Timer> invalidatedTimer, droppedTimer;
  loop->runAfter(10ms, [&] { ++never; });  // its handle dropped at once
  cancelled->cancel();
  workHandle = loop->runAfter(10ms, [&] {
    ++work;
    workHandle.reset();
  });
  invalidatedTimer = loop->scheduleRepeatingTimer(20ms, [&] {
    if (++invalidated == 3) invalidatedTimer->invalidate();
  });
  invalidatedTimer->setTolerance(5ms);  // a quarter of the interval: coarse, so restarted
  droppedTimer = loop->scheduleRepeatingTimer(10ms, [&] {
    ++dropped;
    droppedTimer.reset();
  });
  ASSERT_TRUE(runEventsUntil([&] { return invalidated == 3 && !workHandle && !droppedTimer; }));

  auto timer = loop->scheduleRepeatingTimer(10ms, [&] { ++never; });
  auto orphan = loop->runAfter(10ms, [&] { ++never; });
  loop->postTask([&] { ++never; });
  loop.reset();
  runEventsFor(80);
  EXPECT_EQ(work, 1);
  EXPECT_EQ(invalidated, 3);
  EXPECT_EQ(dropped, 1);
  EXPECT_EQ(never, 0);
  timer->invalidate();
  orphan->cancel();
}

TEST(QtRunLoop, TasksPostedFromAnotherThreadRunOnTheMainThreadInOrder) {
  QtRunLoop loop;
  std::vector<std::pair<int, std::thread::id>> ran;
  std::thread poster([&] {
    for (int i = 0; i < 100; ++i) loop.postTask([&, i] { ran.emplace_back(i, std::this_thread::get_id()); });
  });
  poster.join();

  ASSERT_TRUE(runEventsUntil([&] { return ran.size() == 100; }));
  for (int i = 0; i < 100; ++i) EXPECT_EQ(ran[i], std::pair(i, std::this_thread::get_id()));
}

TEST(QtApplication, TerminateBeforeTheLoopRunsStillEndsIt) {
  QtApplication application;
  application.terminate();
  QTimer::singleShot(3000, [] { QCoreApplication::exit(1); });  // a stuck loop fails instead of hanging
  EXPECT_EQ(QCoreApplication::exec(), 0);
}

}  // namespace
}  // namespace CorlaMeetings
