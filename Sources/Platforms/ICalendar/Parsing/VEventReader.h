#pragma once

#include <string>
#include <variant>
#include <vector>

#include "ICalendar/Parsing/CalendarBlock.h"
#include "ICalendar/Parsing/CalendarTextSplitter.h"
#include "ICalendar/Parsing/WrittenEvent.h"

namespace CorlaMeetings {

struct EventReading {
  std::variant<WrittenEvent, std::string> event;  // or why the block is no usable event
  std::vector<std::string> notes;                 // parts of a kept event that were dropped
};

// Reads one VEVENT block with libical's parser, taking libicalMutex() for it, and copies out
// what the adapter needs; the parse tree is freed before returning. Times are read as
// written: the TZID parameter is kept as text, to be resolved later by TimeZoneResolver. A
// DATE-TIME written without a zone beside a zoned DTSTART (DTEND, RECURRENCE-ID, EXDATE,
// RDATE) takes DTSTART's zone. An event needs a valid DTSTART; a broken RRULE, RDATE or
// EXDATE is dropped on its own with a note.
EventReading readVEvent(const CalendarBlock& block);

}  // namespace CorlaMeetings
