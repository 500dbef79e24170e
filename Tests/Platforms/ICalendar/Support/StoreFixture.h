#pragma once

// A store over a file system in memory, a simulated run loop and a source list the test
// edits. The store's work runs on the loop too, and the file system tells it of edits: a
// test runs it all, in order, with no real time. A test of real threads or of the disk
// (inotify, FIFOs) asks for them, and waits for what they post.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "ICalendar/Files/MemoryFileSystem.h"
#include "ICalendar/Store/ICalendarStore.h"
#include "ICalendar/Threads/LoopExecutor.h"
#include "Simulated/SimulatedRunLoop.h"

namespace CorlaMeetings::Testing {

// A fresh folder under $TMPDIR, removed with everything in it. Tests in memory name their
// files under its path too.
struct TemporaryFolder {
  std::filesystem::path path = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "velto-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return std::filesystem::path(pattern);
  }();
  ~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string operator/(const std::string& name) const { return (path / name).string(); }
};

inline void writeFile(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// As editors save: a new file renamed over the old one.
inline void replaceFile(const std::string& path, const std::string& bytes) {
  writeFile(path + ".saving~", bytes);
  std::filesystem::rename(path + ".saving~", path);
}

struct TestEvent {
  std::string uid, title, start, end;  // times in UTC as iCalendar writes them: 20300101T100000Z
};

inline std::string calendarText(const std::vector<TestEvent>& events) {
  std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Velto//Tests//EN\r\n";
  for (const TestEvent& event : events) {
    text += "BEGIN:VEVENT\r\nUID:" + event.uid + "\r\nDTSTAMP:20300101T000000Z\r\nDTSTART:" + event.start +
            "\r\nDTEND:" + event.end + "\r\nSUMMARY:" + event.title + "\r\nEND:VEVENT\r\n";
  }
  return text + "END:VCALENDAR\r\n";
}

inline std::string calendarText(const TestEvent& event) { return calendarText(std::vector<TestEvent>{event}); }

inline const TestEvent kStandup{"standup@test", "Standup", "20300101T090000Z", "20300101T091500Z"};
inline const TestEvent kPlanning{"planning@test", "Planning", "20300101T110000Z", "20300101T120000Z"};
inline const TestEvent kReview{"review@test", "Review", "20300101T130000Z", "20300101T140000Z"};
inline const TestEvent kRetro{"retro@test", "Retro", "20300101T160000Z", "20300101T170000Z"};

// 2030-01-01T00:00:00Z, the day the test calendars are set in.
inline const Instant kDay = Instant{std::chrono::sys_days{std::chrono::year{2030} / 1 / 1}.time_since_epoch()};
inline const Instant kDayEnd = kDay + std::chrono::hours{24};

// Runs the loop's due work, if given, until `done` holds (true), waiting in real time
// between tries for a few seconds at most (false): real threads and inotify post results.
inline bool eventually(const std::function<bool()>& done, SimulatedRunLoop* loop = nullptr) {
  for (auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds{5};;) {
    if (loop) loop->runUntilIdle();
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds{5});
  }
}

// What a test's store may use for real instead of the loop and the memory.
struct RealParts {
  bool threads = false, disk = false;
};

class StoreFixture : public testing::Test {
 protected:
  void makeStore(std::vector<std::string> sourceList, ICalendarStoreOptions options = {}, RealParts real = {}) {
    store.reset();
    changes = 0;
    titlesAtLastChange.clear();
    setSources(std::move(sourceList));
    if (!real.threads) options.executor = [this] { return std::make_unique<LoopExecutor>(loop); };
    if (!real.disk) options.files = files;
    options.problems = [this](std::string_view line) {
      std::lock_guard lock(mutex);
      problemLines.emplace_back(line);
    };
    store = std::make_unique<ICalendarStore>(
        loop, clock,
        [this] {
          std::lock_guard lock(mutex);
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
    std::lock_guard lock(mutex);
    sources = std::move(list);
  }

  // Problem lines the store reported holding `text`; the store may report from its threads.
  std::size_t problems(const std::string& text) {
    std::lock_guard lock(mutex);
    return std::count_if(problemLines.begin(), problemLines.end(),
                         [&](const std::string& line) { return line.find(text) != std::string::npos; });
  }

  // Asks for access and runs the loop until the answer came: never at once, always on the
  // thread that runs the loop. Nothing when no answer came.
  std::optional<bool> requestAccess() {
    auto answer = std::make_shared<std::optional<bool>>();
    store->requestAccess([answer, mainThread = std::this_thread::get_id()](bool granted) {
      EXPECT_EQ(std::this_thread::get_id(), mainThread);
      *answer = granted;
    });
    EXPECT_FALSE(answer->has_value());
    eventually([&] { return answer->has_value(); }, &loop);
    return *answer;
  }

  bool accessGranted() { return requestAccess() == true; }

  // "HH:MM title" of each meeting on the test day, sorted.
  std::vector<std::string> titles() {
    std::vector<std::string> result;
    for (const auto& event : store->events(kDay, kDayEnd)) {
      const auto minutes = std::chrono::duration_cast<std::chrono::minutes>(event->startDate - kDay).count();
      char time[16];
      std::snprintf(time, sizeof time, "%02d:%02d ", static_cast<int>(minutes / 60), static_cast<int>(minutes % 60));
      result.push_back(time + event->title.value_or("?"));
    }
    std::sort(result.begin(), result.end());
    return result;
  }

  SimulatedClock clock{kDay};
  SimulatedRunLoop loop{clock};
  TemporaryFolder folder;
  std::shared_ptr<MemoryFileSystem> files = std::make_shared<MemoryFileSystem>();  // unless the store reads the disk
  int changes = 0;
  std::vector<std::string> titlesAtLastChange;
  std::mutex mutex;  // for what the store's threads, when real, reach
  std::vector<std::string> sources;
  std::vector<std::string> problemLines;
  std::unique_ptr<ICalendarStore> store;  // last: gone before what it uses
};

}  // namespace CorlaMeetings::Testing
