#include "ICalendar/Records/EventLength.h"

namespace CorlaMeetings {

Instant endOfOccurrence(Instant start, LocalSeconds local, const EventLength& length, const EventTimeZone& zone) {
  if (length.days == 0) return start + length.exact;
  return zone.instantAt(local + std::chrono::days(length.days)) + length.exact;
}

}  // namespace CorlaMeetings
