#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "ICalendar/Parsing/WrittenTime.h"
#include "ICalendar/Recurrence/RecurrenceRule.h"
#include "ICalendar/Zones/EventTimeZone.h"

namespace CorlaMeetings {

// What one VEVENT says, as written and not yet placed in any zone: plain data, read out of
// libical's tree so that the tree can go at once.

struct WrittenDuration {
  int days = 0;  // nominal days (weeks count as seven): they keep the wall-clock time
  std::chrono::seconds exact{0};
  bool negative = false;
};

// An RDATE: a start, or a PERIOD with its own end or length.
struct WrittenRecurrenceDate {
  WrittenTime start;
  std::optional<WrittenTime> end;
  std::optional<WrittenDuration> duration;
};

struct WrittenEvent {
  int line = 0;  // of BEGIN:VEVENT in the file
  std::optional<std::string> uid;
  std::optional<std::string> summary;
  std::optional<std::string> location;
  std::optional<std::string> description;
  std::optional<std::string> url;
  WrittenTime start;
  std::optional<WrittenTime> end;
  std::optional<WrittenDuration> duration;
  std::optional<WrittenTime> recurrenceId;
  bool thisAndFuture = false;  // RECURRENCE-ID;RANGE=THISANDFUTURE: later occurrences change too
  std::vector<WrittenRule> rules;
  std::vector<WrittenRecurrenceDate> recurrenceDates;
  std::vector<WrittenTime> exceptionDates;
  int sequence = 0;
};

}  // namespace CorlaMeetings
