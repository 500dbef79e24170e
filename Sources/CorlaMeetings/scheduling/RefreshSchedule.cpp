#include "scheduling/RefreshSchedule.h"

#include <algorithm>

namespace CorlaMeetings {

Duration refreshPeriod(bool calendarAccessGranted, const std::optional<MeetingItem>& next, Instant now) {
  if (!calendarAccessGranted) return 5min;
  if (!next) return 15min;
  if (next->isHappeningNow(now)) return 1min;
  const Duration untilStart = next->event->startDate - now;
  if (untilStart <= 3h) return 1min;
  if (untilStart <= 24h) return 5min;
  return 15min;
}

Duration refreshTolerance(Duration period) { return std::min<Duration>(period / 4, 1min); }

}  // namespace CorlaMeetings
