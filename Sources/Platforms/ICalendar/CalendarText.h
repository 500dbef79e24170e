#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace CorlaMeetings {

// One top-level component of a calendar, as unfolded text ("\n" after each line).
struct CalendarBlock {
  int line = 0;  // of its BEGIN line in the file, for messages
  std::string text;
};

struct CalendarBlocks {
  bool hasCalendar = false;  // a BEGIN:VCALENDAR line was seen
  // VEVENTs, reduced to the properties this adapter reads (no alarms, attendees or
  // attachments, which can be megabytes of base64 that would only slow libical down).
  std::vector<CalendarBlock> events;
  // VTIMEZONEs, whole.
  std::vector<CalendarBlock> timeZones;
  std::vector<std::string> problems;
};

// Splits iCalendar text into its top-level VEVENT and VTIMEZONE blocks without libical, so
// that one broken block costs only itself: libical drops a whole file for one NUL byte or a
// missing END. Accepts CRLF, LF and lone CR line ends, unfolds continuation lines, reads
// names case-insensitively, drops lines holding NUL bytes, cuts lines and blocks at the
// sizes of ParseLimits, and drops a block left open by the next BEGIN of a top-level
// component or by the end of the text. Components outside a VCALENDAR are ignored.
CalendarBlocks splitCalendarText(std::string_view text);

}  // namespace CorlaMeetings
