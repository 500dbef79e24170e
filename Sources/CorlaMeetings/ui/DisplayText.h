#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "app/CalendarEvent.h"
#include "app/Time.h"

namespace CorlaMeetings {

// "9:00 AM-9:30 AM" or "09:00-09:30": the locale's short time style, never a date.
std::string timeRange(const CalendarEvent& event);

// How soon a meeting starts: "Starts now" under a minute (and after the start), else
// "In 5m" or "In 1h 5m"; hours are not capped.
std::string startsInText(Duration untilStart);

// The heading of a day that is neither today nor tomorrow: "EEE, MMM d" in the user's
// locale (Fri, Dec 5).
std::string dayHeading(Instant day);

// Unicode white space and line breaks removed from both ends.
std::string trimmingWhitespace(std::string_view text);

// Number of user-perceived characters (extended grapheme clusters).
std::size_t characterCount(std::string_view text);

// `text` unchanged when it has at most `limit` characters; otherwise its first
// `limit - 1` characters followed by "…".
std::string truncatedWithEllipsis(std::string_view text, std::size_t limit);

// A meeting name as the panel and the header show it: every "Canceled:" and "Cancelled:"
// removed, trimmed, then cut to `limit` characters.
std::string cleanedMeetingName(std::string_view title, std::size_t limit);

}  // namespace CorlaMeetings
