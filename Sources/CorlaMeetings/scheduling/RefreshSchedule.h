#pragma once

#include <optional>

#include "app/Time.h"
#include "meetings/MeetingItem.h"

namespace CorlaMeetings {

// How often to refresh: every minute while the next meeting runs or is at most three hours
// away, every five minutes within a day (or while calendar access is missing), else every
// fifteen minutes.
Duration refreshPeriod(bool calendarAccessGranted, const std::optional<MeetingItem>& next, Instant now);

// How late the timer may fire: a quarter of the period, at most a minute.
Duration refreshTolerance(Duration period);

// Calendar stores post changes in bursts (a sync writes many events): one refresh this long
// after the last change of a burst.
inline constexpr Duration kCalendarChangeSettle = std::chrono::milliseconds(800);

}  // namespace CorlaMeetings
