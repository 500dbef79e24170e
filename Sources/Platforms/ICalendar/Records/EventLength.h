#pragma once

#include <chrono>

#include "ICalendar/Zones/EventTimeZone.h"
#include "app/Time.h"

namespace CorlaMeetings {

// How long an occurrence lasts: whole days in wall-clock time (so an all-day event ends at
// local midnight across a clock change), then exact seconds.
struct EventLength {
  int days = 0;
  std::chrono::seconds exact{0};

  // At least as long as any occurrence, whatever the zone does.
  std::chrono::seconds longest() const { return std::chrono::days(days) + std::chrono::hours(days > 0) + exact; }
};

// The instant an occurrence starting at `local` (in `zone`) ends.
Instant endOfOccurrence(Instant start, LocalSeconds local, const EventLength& length, const EventTimeZone& zone);

}  // namespace CorlaMeetings
