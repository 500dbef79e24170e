// make-calendar: writes the heavy user's calendar as one .ics file and/or as a vdir folder.
// Usage: make-calendar [--today YYYY-MM-DD] [--events N] [--series N] [--ics FILE] [--vdir DIR]

#include <chrono>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>

#include "HeavyCalendar.h"

namespace {

using namespace std::chrono;

constexpr const char* kUsage =
    "usage: make-calendar [--today YYYY-MM-DD] [--events N] [--series N] [--ics FILE] [--vdir DIR]\n"
    "  Five years of meetings centred on today (UTC date by default). The vdir folder must not\n"
    "  exist yet or be empty.\n";

bool parseDate(const std::string& text, sys_days& out) {
  int y = 0;
  unsigned m = 0;
  unsigned d = 0;
  if (std::sscanf(text.c_str(), "%d-%u-%u", &y, &m, &d) != 3) return false;
  const year_month_day date{year(y), month(m), day(d)};
  if (!date.ok()) return false;
  out = sys_days(date);
  return true;
}

bool isCount(const std::string& text) {
  return !text.empty() && text.size() <= 7 && text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace CorlaMeetings::Bench;
  HeavyCalendarOptions options;
  options.today = floor<days>(system_clock::now());
  std::string icsPath;
  std::string vdirPath;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (i + 1 >= argc) {
      std::cerr << kUsage;
      return 2;
    }
    const std::string value = argv[++i];
    if (option == "--today" && parseDate(value, options.today)) continue;
    if (option == "--events" && isCount(value)) {
      options.events = std::stoi(value);
    } else if (option == "--series" && isCount(value)) {
      options.series = std::stoi(value);
    } else if (option == "--ics") {
      icsPath = value;
    } else if (option == "--vdir") {
      vdirPath = value;
    } else {
      std::cerr << kUsage;
      return 2;
    }
  }
  if (icsPath.empty() && vdirPath.empty()) {
    std::cerr << kUsage;
    return 2;
  }

  try {
    const auto objects = makeHeavyCalendar(options);
    std::size_t bytes = 0;
    if (!icsPath.empty()) {
      const std::string text = asOneFile(objects);
      bytes = text.size();
      std::ofstream file(icsPath, std::ios::binary);
      file << text;
      if (!file) throw std::runtime_error("cannot write " + icsPath);
    }
    if (!vdirPath.empty()) writeVdir(objects, vdirPath);
    std::cout << objects.size() << " events (" << componentCount(objects) << " VEVENTs with overrides, "
              << options.series << " series)";
    if (bytes > 0) std::cout << ", " << bytes / 1000 / 1000.0 << " MB as one file";
    std::cout << "\n";
  } catch (const std::exception& error) {
    std::cerr << "make-calendar: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
