#pragma once

// Helpers for the iCalendar store's tests: temporary folders, calendar texts, and waiting
// for work that the store's threads post to a simulated run loop.

#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "Simulated/SimulatedRunLoop.h"
#include "app/Time.h"

namespace CorlaMeetings::testing_support {

// A fresh folder under $TMPDIR, removed with everything in it.
class TemporaryFolder {
 public:
  TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velto-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void writeFile(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// As editors save: a new file renamed over the old one.
inline void replaceFile(const std::string& path, const std::string& bytes) {
  std::string temporary = path + ".saving~";
  writeFile(temporary, bytes);
  std::filesystem::rename(temporary, path);
}

struct TestEvent {
  std::string uid;
  std::string title;
  std::string start;  // UTC, as iCalendar writes it: 20300101T100000Z
  std::string end;
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

// 2030-01-01T00:00:00Z, the day the test calendars are set in.
inline const Instant kDay = Instant{std::chrono::sys_days{std::chrono::year{2030} / 1 / 1}.time_since_epoch()};
inline const Instant kDayEnd = kDay + std::chrono::hours{24};

// Runs the loop's due work until `done` holds or `limit` of real time has passed: the
// store's threads post their results from outside.
inline bool pumpUntil(SimulatedRunLoop& loop, const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds{5}) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    loop.runUntilIdle();
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds{5});
  }
}

// Keeps the store's problem lines; the store calls it from its threads.
class ProblemLines {
 public:
  std::function<void(std::string_view)> sink() {
    return [this](std::string_view line) {
      std::lock_guard lock(mutex_);
      lines_.emplace_back(line);
    };
  }
  std::vector<std::string> lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
  }
  bool contains(const std::string& text) const {
    std::lock_guard lock(mutex_);
    for (const std::string& line : lines_) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  }
  std::size_t countContaining(const std::string& text) const {
    std::lock_guard lock(mutex_);
    std::size_t count = 0;
    for (const std::string& line : lines_) count += line.find(text) != std::string::npos;
    return count;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace CorlaMeetings::testing_support
