#include "ICalendar/StartupIndex/TimeReach.h"
#include "ICalendar/Records/SingleEvent.h"

#include <algorithm>

namespace CorlaMeetings {

using namespace std::chrono;

namespace {

// The widest zone offsets are -12 and +14 hours.
constexpr std::int64_t kWidestOffset = duration_cast<seconds>(hours(26)).count();

std::int64_t secondsOf(LocalSeconds local) { return local.time_since_epoch().count(); }

}  // namespace

TimeReach TimeReach::between(Instant start, Instant end) {
  return {floor<seconds>(start).time_since_epoch().count(), ceil<seconds>(end).time_since_epoch().count()};
}

void TimeReach::add(const TimeReach& other) {
  first = std::min(first, other.first);
  last = std::max(last, other.last);
}

TimeReach reachOf(const SingleEvent& event) {
  const std::int64_t start = secondsOf(event.start.local);
  return {start - kWidestOffset, start + event.length.longest().count() + kWidestOffset};
}

TimeReach reachOf(const Series& series) {
  TimeReach reach{
      secondsOf(series.firstStart) + std::min<std::int64_t>(0, series.earliestShift.count()) - kWidestOffset,
      std::numeric_limits<std::int64_t>::max()};
  if (series.lastStart != LocalSeconds::max()) {
    reach.last = secondsOf(series.lastStart) + std::max<std::int64_t>(0, series.latestShift.count()) +
                 series.longest.count() + kWidestOffset;
  }
  return reach;
}

}  // namespace CorlaMeetings
