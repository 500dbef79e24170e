// idle-day: how often the app wakes itself up over a day with nothing for the user to do,
// counted on the simulated platform (virtual time, so a day takes milliseconds). Prints the
// timer firings of each hour for two days: one with the given calendar's meetings, one
// with no meetings at all.
// Usage: idle-day CALENDAR.ics [YYYY-MM-DD]  (default: the next Wednesday; local zone: TZ)

#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "ICalendar/Parsing/CalendarParser.h"
#include "ICalendar/Query/ParsedCalendar.h"
#include "ICalendar/Sources/SourceReader.h"
#include "Simulated/SimulatedPlatform.h"
#include "app/AppDelegate.h"
#include "app/LocalCalendar.h"

namespace {

using namespace CorlaMeetings;
using namespace std::chrono;

struct Day {
  std::vector<std::uint64_t> firingsPerHour;
  std::uint64_t refreshes = 0;
};

// One day from local midnight, the delegate launched at midnight with `events` in its store.
Day simulate(Instant midnight, const std::vector<std::shared_ptr<const CalendarEvent>>& events) {
  SimulatedPlatform sim(midnight);
  for (const auto& event : events) sim.calendarStore.addEvent(*event);
  auto delegate = std::make_shared<AppDelegate>(sim.platform());
  delegate->applicationDidFinishLaunching();
  sim.runLoop.runUntilIdle();
  Day day;
  const int queriesBefore = sim.calendarStore.queryCount();
  for (int hour = 0; hour < 24; ++hour) {
    const std::uint64_t before = sim.runLoop.totalTimerFirings();
    sim.runLoop.runUntil(midnight + hours(hour + 1));
    day.firingsPerHour.push_back(sim.runLoop.totalTimerFirings() - before);
  }
  day.refreshes = static_cast<std::uint64_t>(sim.calendarStore.queryCount() - queriesBefore);
  return day;
}

void print(const char* what, const Day& day) {
  std::uint64_t total = 0;
  std::uint64_t busiest = 0;
  for (auto firings : day.firingsPerHour) {
    total += firings;
    busiest = std::max(busiest, firings);
  }
  std::printf("%s: %llu timer firings in 24 h (%.1f per hour on average, %llu in the busiest hour), %llu refreshes\n",
              what, static_cast<unsigned long long>(total), static_cast<double>(total) / 24,
              static_cast<unsigned long long>(busiest), static_cast<unsigned long long>(day.refreshes));
  std::printf("  per hour:");
  for (auto firings : day.firingsPerHour) std::printf(" %llu", static_cast<unsigned long long>(firings));
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: idle-day CALENDAR.ics [YYYY-MM-DD]\n");
    return 2;
  }
  sys_days date = floor<days>(system_clock::now());
  while (weekday(date) != Wednesday) date += days(1);
  int y = 0;
  unsigned m = 0;
  unsigned d = 0;
  if (argc > 2 && std::sscanf(argv[2], "%d-%u-%u", &y, &m, &d) == 3) date = sys_days(year(y) / month(m) / day(d));
  const Instant midnight = LocalCalendar::startOfDay(Instant(sys_days(date) + hours(12)));

  FileRead file = readRegularFile(argv[1], std::size_t{64} << 20);
  ParseResult parsed = file.bytes ? parseCalendar(*file.bytes) : ParseResult();
  if (!parsed.calendar) {
    std::fprintf(stderr, "idle-day: no calendar in %s\n", argv[1]);
    return 1;
  }
  // The days the refreshes of the simulated day can reach, and some before.
  const auto events = parsed.calendar->occurrences(midnight - days(2), midnight + days(6));
  print("with the calendar's meetings", simulate(midnight, events));
  print("with no meetings", simulate(midnight, {}));
  return 0;
}
