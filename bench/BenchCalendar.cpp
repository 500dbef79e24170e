#include "BenchCalendar.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "app/LocalCalendar.h"
#include "meetings/JoinLinkDetection.h"

namespace CorlaMeetings::Bench {

namespace {

using namespace std::chrono;

constexpr sys_days kToday = 2026y / June / 10;  // a Wednesday

// A folder of our own for the files, gone with the process.
class ScratchFolder {
 public:
  ScratchFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/velto-bench-XXXXXX";
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a folder under " + pattern);
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

const ScratchFolder& scratch() {
  static const ScratchFolder folder;
  return folder;
}

}  // namespace

const std::vector<CalendarObject>& heavyObjects() {
  static const std::vector<CalendarObject> objects = makeHeavyCalendar({.today = kToday});
  return objects;
}

const std::string& heavyText() {
  static const std::string text = asOneFile(heavyObjects());
  return text;
}

const std::filesystem::path& heavyFile() {
  static const std::filesystem::path path = [] {
    auto file = scratch().path() / "heavy.ics";
    std::ofstream(file, std::ios::binary) << heavyText();
    return file;
  }();
  return path;
}

const std::filesystem::path& heavyVdir() {
  static const std::filesystem::path path = [] {
    auto folder = scratch().path() / "vdir";
    writeVdir(heavyObjects(), folder);
    return folder;
  }();
  return path;
}

Instant benchNow() { return Instant(sys_days(kToday) + hours(13)); }
Instant windowStart() { return LocalCalendar::startOfDay(benchNow()); }
Instant windowEnd() { return LocalCalendar::addingDays(windowStart(), 4); }

std::size_t queryAndDetect(CalendarStore& store, Instant start, Instant end) {
  auto events = store.events(start, end);
  std::erase_if(events, [](const auto& event) { return !event || event->isAllDay; });
  std::stable_sort(events.begin(), events.end(),
                   [](const auto& a, const auto& b) { return a->startDate < b->startDate; });
  std::size_t links = 0;
  for (const auto& event : events) links += detectJoinURL(*event).has_value();
  return links;
}

}  // namespace CorlaMeetings::Bench
