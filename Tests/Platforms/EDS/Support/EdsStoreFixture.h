#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "EDS/Store/EdsCalendarStore.h"
#include "ICalendar/Threads/LoopExecutor.h"
#include "Platforms/EDS/Support/EdsSession.h"
#include "Platforms/ICalendar/Support/ParsedCalendarTestSupport.h"
#include "Platforms/Qt/EventLoopSupport.h"
#include "Qt/QtRunLoop.h"
#include "Simulated/SimulatedClock.h"

namespace CorlaMeetings::Testing {

// An EdsCalendarStore on the session's EDS, driven by the real event loop for bounded
// stretches. EDS takes seconds to start and to open a calendar: waits are long, but bounded.
class EdsStoreFixture : public ::testing::Test {
 protected:
  static constexpr int kPatience = 30000;  // milliseconds

  void SetUp() override { ASSERT_TRUE(EdsSession::get().ready()); }

  void open(std::vector<std::string> entries, std::string module = {}) {
    EdsCalendarStoreOptions options;
    options.module = std::move(module);
    if (storeWorkOnLoop_) options.executor = [this] { return std::make_unique<LoopExecutor>(runLoop_); };
    options.problems = [this](std::string_view line) {
      std::lock_guard lock(problemsMutex_);
      problems_.emplace_back(line);
    };
    store_ = std::make_unique<EdsCalendarStore>(
        runLoop_, clock_,
        [entries] {
          std::vector<CalendarSource> sources;
          for (const std::string& entry : entries) sources.push_back(calendarSourceFrom(entry, ""));
          return sources;
        },
        options);
    store_->setChangeObserver([this] { ++notifications_; });
  }

  std::optional<bool> requestAccess() {
    std::optional<bool> answer;
    store_->requestAccess([&answer](bool granted) { answer = granted; });
    runEventsUntil([&] { return answer.has_value(); }, kPatience);
    return answer;
  }

  std::vector<std::string> titles(Instant from, Instant to) {
    std::vector<std::string> found;
    for (const auto& event : store_->events(from, to)) found.push_back(event->title.value_or(""));
    std::sort(found.begin(), found.end());
    return found;
  }

  // Runs the loop until the store shows `expected` in the window.
  bool showsEventually(Instant from, Instant to, const std::vector<std::string>& expected) {
    return runEventsUntil([&] { return titles(from, to) == expected; }, kPatience);
  }

  // The notifications once the last change is a quiet period old.
  int notificationsOnceQuiet() {
    runEventsFor(
        static_cast<int>(duration_cast<std::chrono::milliseconds>(EdsCalendarStoreOptions().changeQuiet).count()) +
        1000);
    return notifications_;
  }

  std::vector<std::string> problems() {
    std::lock_guard lock(problemsMutex_);
    return problems_;
  }

  // The store's parsing runs on the test's loop, in order with what EDS sends; a test of
  // the store's own worker thread clears this before open().
  bool storeWorkOnLoop_ = true;
  QtRunLoop runLoop_;
  SimulatedClock clock_{utcTime(2026, 12, 7, 8)};  // the week the tests' calendars hold
  std::unique_ptr<EdsCalendarStore> store_;
  int notifications_ = 0;

 private:
  std::mutex problemsMutex_;
  std::vector<std::string> problems_;
};

}  // namespace CorlaMeetings::Testing
