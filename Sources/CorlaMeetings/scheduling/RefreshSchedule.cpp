#include "scheduling/RefreshSchedule.h"

#include <algorithm>

namespace CorlaMeetings {

double refreshPeriod(bool calendarAccessGranted, const std::optional<MeetingItem>& next, Instant now) {
  if (!calendarAccessGranted) return 300;
  if (!next) return 900;
  if (next->isHappeningNow(now)) return 60;
  double secondsUntilStart = secondsBetween(now, next->event->startDate);
  if (secondsUntilStart <= 10800) return 60;
  if (secondsUntilStart <= 86400) return 300;
  return 900;
}

double refreshTolerance(double period) { return std::min(period * 0.25, 60.0); }

}  // namespace CorlaMeetings
