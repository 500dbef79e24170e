#include "scheduling/RefreshSchedule.h"

#include <algorithm>

#include "app/AppDelegate.h"

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

double AppDelegate::fallbackRefreshInterval() const {
  return refreshPeriod(calendarAccessGranted, nextMeeting(), now());
}

// Every refresh ends here, so the next tick always comes one full period after the latest
// refresh, whatever started it.
void AppDelegate::configureAdaptiveRefreshTimer() {
  if (refreshTimer) refreshTimer->invalidate();
  refreshTimer.reset();

  double period = fallbackRefreshInterval();
  std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
  refreshTimer = platform_.runLoop.scheduleRepeatingTimer(period, [weakSelf] {
    if (auto self = weakSelf.lock()) self->postToSelf(&AppDelegate::refreshMeetings);
  });
  if (refreshTimer) refreshTimer->setTolerance(refreshTolerance(period));
}

}  // namespace CorlaMeetings
