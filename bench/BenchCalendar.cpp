#include "BenchCalendar.h"

#include <stdlib.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "app/LocalCalendar.h"

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

}  // namespace CorlaMeetings::Bench
