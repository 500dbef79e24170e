#pragma once

#include <optional>

#include "app/Time.h"
#include "meetings/MeetingItem.h"

namespace CorlaMeetings {

// How often to refresh: every minute while the next meeting runs or is at most three hours
// away, every five minutes within a day (or while calendar access is missing), else every
// fifteen minutes. Seconds.
double refreshPeriod(bool calendarAccessGranted, const std::optional<MeetingItem>& next, Instant now);

// How late the timer may fire: a quarter of the period, at most a minute.
double refreshTolerance(double period);

}  // namespace CorlaMeetings
