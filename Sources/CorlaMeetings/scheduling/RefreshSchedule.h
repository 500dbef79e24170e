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

// Calendar stores post changes in bursts (a sync writes many events): one refresh this many
// seconds after the last change of a burst.
inline constexpr double kCalendarChangeSettleSeconds = 0.8;

}  // namespace CorlaMeetings
