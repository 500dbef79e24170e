// How the iCalendar parser and its window queries cost on a heavy user's year.
// Run: ./build/bench/ParsedCalendarBench

#include <benchmark/benchmark.h>
#include <libical/ical.h>

#include <chrono>
#include <mutex>
#include <string>

#include "ICalendar/LibicalLock.h"
#include "ICalendar/ParsedCalendar.h"
#include "Platforms/ICalendar/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

// A year of a busy calendar: 20,000 meetings in Berlin time, a few all-day events and
// birthdays, and some weekly series.
std::string busyYear() {
  std::string body;
  char line[256];
  for (int i = 0; i < 20000; ++i) {
    const auto start =
        std::chrono::sys_seconds(std::chrono::sys_days(std::chrono::year(2024) / 1 / 1)) + std::chrono::minutes(26 * i);
    const auto day = std::chrono::floor<std::chrono::days>(start);
    const std::chrono::year_month_day date(day);
    const std::chrono::hh_mm_ss time(start - day);
    std::snprintf(line, sizeof line,
                  "UID:m%d@example.com\nSUMMARY:Meeting %d\nLOCATION:Room %d\n"
                  "DESCRIPTION:Join: https://zoom.us/j/%d\nDTSTART;TZID=Europe/Berlin:%04d%02u%02uT%02d%02d00\n"
                  "DURATION:PT25M",
                  i, i, i % 40, 100000 + i, static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()));
    body += event(line);
  }
  for (int i = 0; i < 50; ++i) {
    std::snprintf(line, sizeof line, "UID:b%d\nSUMMARY:Birthday %d\nDTSTART;VALUE=DATE:1990%02d%02d\nRRULE:FREQ=YEARLY",
                  i, i, i % 12 + 1, i % 28 + 1);
    body += event(line);
  }
  for (int i = 0; i < 20; ++i) {
    std::snprintf(line, sizeof line,
                  "UID:w%d\nSUMMARY:Weekly %d\nDTSTART;TZID=Europe/Berlin:202301%02dT%02d0000\nDURATION:PT1H\n"
                  "RRULE:FREQ=WEEKLY",
                  i, i, i % 7 + 2, 8 + i % 9);
    body += event(line);
  }
  return calendarWith(body);
}

const std::string& busyYearText() {
  static const std::string text = busyYear();
  return text;
}

// The refresh of an unchanged calendar: a four-day window of the parsed year.
void BM_FourDayQuery(benchmark::State& state) {
  auto calendar = parseCalendar(busyYearText()).calendar;
  const Instant start{std::chrono::sys_days(std::chrono::year(2024) / 6 / 10)};
  const Instant end = start + std::chrono::days(4);
  for (auto _ : state) benchmark::DoNotOptimize(calendar->occurrences(start, end));
}
BENCHMARK(BM_FourDayQuery)->Unit(benchmark::kMicrosecond);

// Our first load of the year, against libical's own parse of the same text below.
void BM_FirstLoad(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(parseCalendar(busyYearText()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(busyYearText().size()));
}
BENCHMARK(BM_FirstLoad)->Unit(benchmark::kMillisecond);

void BM_LibicalParse(benchmark::State& state) {
  for (auto _ : state) {
    std::lock_guard<std::mutex> lock(libicalMutex());
    icalcomponent* component = icalparser_parse_string(busyYearText().c_str());
    benchmark::DoNotOptimize(component);
    icalcomponent_free(component);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(busyYearText().size()));
}
BENCHMARK(BM_LibicalParse)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace CorlaMeetings::Testing

BENCHMARK_MAIN();
