#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/CalendarEvent.h"
#include "app/NotificationCenter.h"
#include "app/Time.h"
#include "meetings/MeetingItem.h"

namespace CorlaMeetings {

// Preference: minutes of warning before a meeting; 0 (never written) means 15.
inline constexpr char kReminderMinutesKey[] = "reminderMinutes";

// The lead time in effect for a stored preference value.
std::int64_t effectiveLeadMinutes(std::int64_t storedMinutes);

// The lead time as a duration; a value too large for one saturates instead of wrapping into
// a negative (empty) window.
Duration leadWindow(std::int64_t leadMinutes);

// The value the menu's reminder command stores next: 1, 3, 5, 10, 15, then 1 again;
// anything off the cycle goes to 1.
std::int64_t nextReminderMinutes(std::int64_t storedMinutes);

// Identifies one reminder: the meeting's identity (event identifier, else its title, else
// "Untitled meeting"), "-", and the lead time. Changing the lead time makes every meeting
// due once more.
std::string reminderKey(const CalendarEvent& event, std::int64_t leadMinutes);

// "Design review starts in 14m." — or "... starts now." in the last minute.
std::string reminderBody(const MeetingItem& item, Duration untilStart);

// The reminders due at `now` that `remindedKeys` does not hold yet, in meeting order; their
// keys are added to it. A meeting is due from `leadMinutes` before its start (inclusive)
// until the start (exclusive). Decided at refreshes only, never scheduled ahead: a reminder
// always reflects the calendar as last read.
std::vector<NotificationRequest> dueReminders(const std::vector<MeetingItem>& meetings, std::int64_t leadMinutes,
                                              Instant now, std::set<std::string>& remindedKeys);

// The link a click on a reminder opens: the web link it carries, if any. The user
// information comes back from the desktop, so its shape is checked, not assumed.
std::optional<Url> reminderLink(const NotificationResponse& response);

}  // namespace CorlaMeetings
