#pragma once

#include <libical/ical.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "ICalendar/Zones/EventTimeZone.h"
#include "ICalendar/Parsing/WrittenTime.h"

namespace CorlaMeetings {

enum class Frequency { Secondly, Minutely, Hourly, Daily, Weekly, Monthly, Yearly };

// The local days an occurrence of a rule can start on, as far as its BYMONTH, BYMONTHDAY
// and BYDAY parts (or the DTSTART they default to) say: what lets a query skip a series
// that cannot reach its window without asking libical. Conservative: it may allow days the
// rule never gives, never the other way round.
struct DayFilter {
  std::uint16_t months = 0;     // bit m for month m; 0: any month
  std::uint32_t monthDays = 0;  // bit d for day d of the month; 0: any day
  std::uint8_t weekdays = 0;    // bit w for std::chrono::weekday w (0 is Sunday); 0: any

  bool allows(std::chrono::local_days day) const;
  bool allowsAnyOf(std::chrono::local_days first, std::chrono::local_days last) const;
};

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
