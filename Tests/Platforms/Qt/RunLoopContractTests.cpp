// What every RunLoop promises, checked against the simulated loop (virtual time) and the Qt
// one (real time, its event loop running): the core is tested on the first and runs on the
// second, so they must not differ in anything the core relies on.
#include <QDeadlineTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Platforms/Qt/EventLoopSupport.h"
#include "Qt/QtRunLoop.h"
#include "Simulated/SimulatedRunLoop.h"

namespace CorlaMeetings::Testing {
namespace {

// A driver owns a loop and lets time pass for it: jobs run only while it does.
struct SimulatedLoop {
  static constexpr const char* name = "Simulated";
  SimulatedClock clock{Instant{std::chrono::seconds{1'700'000'000}}};
  const Instant start = clock.now();
  std::unique_ptr<SimulatedRunLoop> loop = std::make_unique<SimulatedRunLoop>(clock);

  Duration elapsed() const { return clock.now() - start; }
  void letPass(Duration d) {
    if (loop)
      loop->runFor(d);
    else
      clock.advance(d);  // nothing left to run
  }
  bool letPassUntil(const std::function<bool()>& done) {
    for (int step = 0; step < 3000 && !done(); ++step) letPass(1ms);
    return done();
  }
};

struct QtLoop {
  static constexpr const char* name = "Qt";
  QDeadlineTimer started = QDeadlineTimer::current();
  std::unique_ptr<QtRunLoop> loop = std::make_unique<QtRunLoop>();

  Duration elapsed() const {
    const std::chrono::nanoseconds passed(QDeadlineTimer::current().deadlineNSecs() - started.deadlineNSecs());
    return std::chrono::duration_cast<Duration>(passed);
  }
  void letPass(Duration d) { runEventsFor(static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(d).count())); }
  bool letPassUntil(const std::function<bool()>& done) { return runEventsUntil(done); }
};

template <typename Driver>
class RunLoopContract : public testing::Test {
 protected:
  RunLoop& loop() { return *driver.loop; }
  Driver driver;
};

struct DriverName {
  template <typename Driver>
  static std::string GetName(int) {
    return Driver::name;
  }
};

using Drivers = testing::Types<SimulatedLoop, QtLoop>;
TYPED_TEST_SUITE(RunLoopContract, Drivers, DriverName);

TYPED_TEST(RunLoopContract, RunsByDueTimeTiesInSchedulingOrderAndPostedTasksAfterTheCurrentJob) {
  RunLoop& loop = this->loop();
  std::vector<std::string> ran;
  auto late = loop.runAfter(60ms, [&] {
    loop.postTask([&] { ran.push_back("posted"); });
    ran.push_back("late");
  });
  auto first = loop.runAfter(20ms, [&] { ran.push_back("first"); });
  auto second = loop.runAfter(20ms, [&] { ran.push_back("second"); });
  auto negative = loop.runAfter(-5s, [&] { ran.push_back("negative"); });
  EXPECT_TRUE(ran.empty());

  ASSERT_TRUE(this->driver.letPassUntil([&] { return ran.size() == 5; }));
  EXPECT_EQ(ran, (std::vector<std::string>{"negative", "first", "second", "late", "posted"}));
}

TYPED_TEST(RunLoopContract, RepeatingTimerFiresNoSoonerThanItsPeriodsUntilInvalidatedOrDropped) {
  std::vector<Duration> ticks;
  int dropped = 0;
  std::unique_ptr<Timer> timer, droppedTimer;
  timer = this->loop().scheduleRepeatingTimer(20ms, [&] {
    ticks.push_back(this->driver.elapsed());
    if (ticks.size() == 3) timer->invalidate();
  });
  timer->setTolerance(5ms);  // a quarter of the interval: the Qt timer restarts as a coarse one
  droppedTimer = this->loop().scheduleRepeatingTimer(10ms, [&] {
    ++dropped;
    droppedTimer.reset();
  });
  ASSERT_TRUE(this->driver.letPassUntil([&] { return ticks.size() == 3 && !droppedTimer; }));
  this->driver.letPass(80ms);

  EXPECT_EQ(dropped, 1);
  ASSERT_EQ(ticks.size(), 3u);
  // A coarse Qt timer may come 5% early.
  for (std::size_t i = 0; i < ticks.size(); ++i) EXPECT_GE(ticks[i], static_cast<int>(i + 1) * 19ms) << i;
  timer->setTolerance(1s);  // harmless once invalidated
}

TYPED_TEST(RunLoopContract, DelayedWorkRunsOnceUnlessCancelledOrDropped) {
  RunLoop& loop = this->loop();
  int work = 0, never = 0;
  std::unique_ptr<DelayedWork> own, cancelled = loop.runAfter(10ms, [&] { ++never; });
  cancelled->cancel();
  loop.runAfter(10ms, [&] { ++never; });  // its handle dropped at once
  own = loop.runAfter(10ms, [&] {
    ++work;
    own.reset();  // from inside its own job
  });
  // A job may cancel another that is due at the same time.
  std::unique_ptr<DelayedWork> second;
  auto first = loop.runAfter(20ms, [&] { second->cancel(); });
  second = loop.runAfter(20ms, [&] { ++never; });
  // Dropping a job that owns another handle must not deadlock on the loop's lock.
  std::shared_ptr<DelayedWork> inner = loop.runAfter(10ms, [&] { ++never; });
  auto outer = loop.runAfter(10ms, [inner] {});
  inner.reset();
  outer.reset();

  ASSERT_TRUE(this->driver.letPassUntil([&] { return !own; }));
  this->driver.letPass(50ms);
  first->cancel();  // after it ran: no effect
  EXPECT_EQ(work, 1);
  EXPECT_EQ(never, 0);
}

TYPED_TEST(RunLoopContract, NothingRunsOnceTheLoopIsGoneAndItsHandlesStaySafe) {
  int never = 0;
  auto timer = this->loop().scheduleRepeatingTimer(10ms, [&] { ++never; });
  auto work = this->loop().runAfter(10ms, [&] { ++never; });
  this->loop().postTask([&] { ++never; });
  this->driver.loop.reset();
  this->driver.letPass(50ms);
  EXPECT_EQ(never, 0);
  timer->setTolerance(1s);
  timer->invalidate();
  work->cancel();
}

TYPED_TEST(RunLoopContract, TasksPostedFromAnotherThreadRunOnTheLoopsThreadInOrder) {
  std::vector<std::pair<int, std::thread::id>> ran;
  std::thread poster([&] {
    for (int i = 0; i < 100; ++i) this->loop().postTask([&, i] { ran.emplace_back(i, std::this_thread::get_id()); });
  });
  poster.join();

  ASSERT_TRUE(this->driver.letPassUntil([&] { return ran.size() == 100; }));
  for (int i = 0; i < 100; ++i) EXPECT_EQ(ran[i], std::pair(i, std::this_thread::get_id()));
}

// A zero interval is raised to a millisecond, so that no timer pins the loop.
TYPED_TEST(RunLoopContract, CarelessIntervalsAndDelaysNeitherSpinNorHang) {
  int ticks = 0, never = 0;
  auto zero = this->loop().scheduleRepeatingTimer(0s, [&] { ++ticks; });
  auto longest = this->loop().runAfter(Duration::max(), [&] { ++never; });
  this->driver.letPass(50ms);
  EXPECT_GT(ticks, 0);
  EXPECT_LE(ticks, 1 + this->driver.elapsed() / 1ms);
  EXPECT_EQ(never, 0);
}

}  // namespace
}  // namespace CorlaMeetings::Testing
