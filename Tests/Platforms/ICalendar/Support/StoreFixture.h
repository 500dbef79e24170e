#pragma once

// A store over a temporary folder, a simulated run loop and a source list the test edits.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "ICalendar/ICalendarStore.h"
#include "Platforms/ICalendar/Support/StoreTestSupport.h"
#include "Simulated/SimulatedClock.h"
#include "Simulated/SimulatedRunLoop.h"

namespace CorlaMeetings::testing_support {

class StoreFixture : public testing::Test {
 protected:
  struct Answer {
    std::optional<bool> granted;
    int calls = 0;
    bool onMainThread = false;
  };

  void makeStore(std::vector<std::string> sourceList, ICalendarStoreOptions options = {}) {
    store.reset();
    changes = 0;
    titlesAtLastChange.clear();
    setSources(std::move(sourceList));
    options.problems = problems.sink();
    store = std::make_unique<ICalendarStore>(
        loop, clock,
        [this] {
          std::lock_guard lock(sourcesMutex);
          std::vector<CalendarSource> list;
          for (const std::string& text : sources) list.push_back(calendarSourceFrom(text, ""));
          return list;
        },
        options);
    store->setChangeObserver([this] {
      ++changes;
      titlesAtLastChange = titles();
    });
  }

  void setSources(std::vector<std::string> list) {
    std::lock_guard lock(sourcesMutex);
    sources = std::move(list);
  }

  // Asks for access and runs the loop until the answer came (or a few seconds passed).
  std::shared_ptr<Answer> requestAccess() {
    auto answer = std::make_shared<Answer>();
    std::thread::id mainThread = std::this_thread::get_id();
    store->requestAccess([answer, mainThread](bool granted) {
      answer->granted = granted;
      ++answer->calls;
      answer->onMainThread = std::this_thread::get_id() == mainThread;
    });
    pumpUntil(loop, [&] { return answer->calls > 0; });
    return answer;
  }

  bool accessGranted() { return requestAccess()->granted == true; }

  // "HH:MM title" of each meeting on the test day, sorted.
  std::vector<std::string> titles() {
    std::vector<std::string> result;
    for (const auto& event : store->events(kDay, kDayEnd)) {
      auto minutes = std::chrono::duration_cast<std::chrono::minutes>(event->startDate - kDay).count();
      char time[48];
      std::snprintf(time, sizeof time, "%02lld:%02lld ", static_cast<long long>(minutes / 60),
                    static_cast<long long>(minutes % 60));
      result.push_back(time + event->title.value_or("?"));
    }
    std::sort(result.begin(), result.end());
    return result;
  }

  SimulatedClock clock{kDay};
  SimulatedRunLoop loop{clock};
  TemporaryFolder folder;
  ProblemLines problems;
  int changes = 0;
  std::vector<std::string> titlesAtLastChange;
  std::mutex sourcesMutex;
  std::vector<std::string> sources;
  std::unique_ptr<ICalendarStore> store;  // last: gone before what it uses
};

inline const TestEvent kStandup{"standup@test", "Standup", "20300101T090000Z", "20300101T091500Z"};
inline const TestEvent kReview{"review@test", "Review", "20300101T130000Z", "20300101T140000Z"};
inline const TestEvent kRetro{"retro@test", "Retro", "20300101T160000Z", "20300101T170000Z"};
inline const TestEvent kPlanning{"planning@test", "Planning", "20300101T110000Z", "20300101T120000Z"};

}  // namespace CorlaMeetings::testing_support
