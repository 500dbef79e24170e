#pragma once

#include <libical/ical.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "ICalendar/Parsing/WrittenTime.h"
#include "ICalendar/Recurrence/DayFilter.h"
#include "ICalendar/Zones/EventTimeZone.h"

namespace CorlaMeetings {

enum class Frequency { Secondly, Minutely, Hourly, Daily, Weekly, Monthly, Yearly };

// One RRULE as read, its times not yet placed in a zone.
struct WrittenRule {
  std::string text;  // as libical writes it back; read again for each query
  Frequency frequency = Frequency::Daily;
  int interval = 1;
  int count = 0;  // 0: no COUNT
  std::optional<WrittenTime> until;
  DayFilter days;
};

// Reads libical's form of an RRULE for a series starting at `start` (wall clock). Rules that
// could make libical loop for seconds on one query are refused with the reason: a frequency
// below a quarter of an hour, sub-daily rules filtered by anything coarser than a weekday or
// a month, and rules whose BY parts no date satisfies (30 February, a sixth Monday). Caller
// holds libicalMutex().
std::variant<WrittenRule, std::string> readRule(const icalrecurrencetype& rule, LocalSeconds start);

// The start of the COUNT-th occurrence of `rule` from `start`, found by walking it with
// libical, which is what lets every later query jump straight to its window. Stops early
// after ParseLimits::kMaxCountedOccurrences occurrences or when `stepBudget` (shared by a
// calendar's walks) runs out, and then sets `cut`. Nothing when the rule gives nothing.
// Caller holds libicalMutex().
std::optional<LocalSeconds> lastCountedStart(const WrittenRule& rule, LocalSeconds start, long& stepBudget, bool& cut);

// A period of the rule's frequency, in wall-clock seconds (a month and a year roughly).
std::chrono::seconds frequencyPeriod(Frequency frequency);

}  // namespace CorlaMeetings
