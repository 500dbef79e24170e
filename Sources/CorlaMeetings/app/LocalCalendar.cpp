#include "app/LocalCalendar.h"

#include <unicode/calendar.h>

#include <cstdint>
#include <memory>

namespace CorlaMeetings::LocalCalendar {

namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

// ICU counts whole milliseconds in a double; the part of a millisecond below that is set
// aside and put back, so that a move by whole days keeps it.
struct SplitInstant {
  UDate millis;
  microseconds rest;
};

// Integer division, not a conversion of durations: that would overflow at Instant's edges.
SplitInstant split(Instant t) {
  std::int64_t millis = t.time_since_epoch().count() / 1000;
  std::int64_t rest = t.time_since_epoch().count() % 1000;
  if (rest < 0) {
    millis -= 1;
    rest += 1000;
  }
  return {static_cast<UDate>(millis), microseconds(rest)};
}

// ICU reaches much further than Instant does; a result beyond Instant's range
// ends at its edge instead of overflowing.
Instant fromMillis(UDate millis, microseconds rest) {
  const double lowest = static_cast<double>(Instant::min().time_since_epoch().count()) / 1000;
  const double highest = static_cast<double>(Instant::max().time_since_epoch().count()) / 1000;
  if (!(millis > lowest)) return Instant::min();
  if (!(millis < highest)) return Instant::max();
  return Instant(std::chrono::duration_cast<microseconds>(milliseconds(static_cast<std::int64_t>(millis))) + rest);
}

// The user's calendar in the default zone, set to `millis`; null if ICU fails.
std::unique_ptr<icu::Calendar> calendarAt(UDate millis) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(status));
  if (U_FAILURE(status) || !calendar) return nullptr;
  calendar->setTime(millis, status);
  if (U_FAILURE(status)) return nullptr;
  return calendar;
}

}  // namespace

Instant startOfDay(Instant t) {
  auto calendar = calendarAt(split(t).millis);
  if (!calendar) return t;
  // Where the clocks go back over midnight the day begins at the first of the two
  // midnights; where they skip it, at the first instant after the gap.
  calendar->setRepeatedWallTimeOption(UCAL_WALLTIME_FIRST);
  calendar->setSkippedWallTimeOption(UCAL_WALLTIME_NEXT_VALID);
  calendar->set(UCAL_HOUR_OF_DAY, 0);
  calendar->set(UCAL_MINUTE, 0);
  calendar->set(UCAL_SECOND, 0);
  calendar->set(UCAL_MILLISECOND, 0);
  UErrorCode status = U_ZERO_ERROR;
  const UDate midnight = calendar->getTime(status);
  if (U_FAILURE(status)) return t;
  return fromMillis(midnight, microseconds(0));
}

Instant addingDays(Instant t, int days) {
  const SplitInstant parts = split(t);
  auto calendar = calendarAt(parts.millis);
  if (!calendar) return t;
  UErrorCode status = U_ZERO_ERROR;
  calendar->add(UCAL_DATE, days, status);
  const UDate moved = calendar->getTime(status);
  if (U_FAILURE(status)) return t;
  return fromMillis(moved, parts.rest);
}

}  // namespace CorlaMeetings::LocalCalendar
