#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ICalendar/Records/EventLength.h"
#include "ICalendar/Records/ZonedTime.h"
#include "ICalendar/Recurrence/DayFilter.h"
#include "ICalendar/Recurrence/RecurrenceRule.h"
#include "app/CalendarEvent.h"

namespace CorlaMeetings {

// One RRULE of a series, its UNTIL (or the start its COUNT ends on) on the series' clock.
struct SeriesRule {
  std::string text;
  Frequency frequency = Frequency::Daily;
  int interval = 1;
  std::optional<LocalSeconds> until;
  DayFilter days;
};

// An RDATE, on the series' clock; a PERIOD brings its own length.
struct RecurrenceDate {
  LocalSeconds start{};
  std::optional<EventLength> length;

  bool operator<(const RecurrenceDate& other) const { return start < other.start; }
};

// An override with RANGE=THISANDFUTURE, for the occurrences after its own: from `from` on,
// they move by `shift` on the series' clock, last `length` and read as `event`.
struct SeriesChange {
  LocalSeconds from{};
  std::chrono::seconds shift{0};
  EventLength length;
  std::shared_ptr<const CalendarEvent> event;

  bool operator<(const SeriesChange& other) const { return from < other.from; }
};

// A repeating event as a parsed calendar keeps it: DTSTART, its rules and dates, and the starts it must skip (EXDATEs
// and the occurrences overrides replace), all on the clock of the series' zone.
struct Series {
  ZonedTime start;
  EventLength length;
  std::vector<SeriesRule> rules;
  std::vector<RecurrenceDate> dates;                  // sorted
  std::vector<LocalSeconds> excluded;                 // sorted
  std::vector<std::chrono::local_days> excludedDays;  // sorted; DATE EXDATEs of a timed series
  std::vector<SeriesChange> changes;                  // sorted
  LocalSeconds firstStart{};                          // bounds of every occurrence start
  LocalSeconds lastStart{};                           // LocalSeconds::max() when endless
  std::chrono::seconds longest{0};                    // no occurrence lasts longer
  std::chrono::seconds earliestShift{0};              // the changes move starts within these
  std::chrono::seconds latestShift{0};
  std::shared_ptr<const CalendarEvent> event;  // texts; eventIdentifier holds the UID

  bool skips(LocalSeconds occurrence) const;
  // The change in force for an occurrence originally at `occurrence`, if any.
  const SeriesChange* changeFor(LocalSeconds occurrence) const;
};

}  // namespace CorlaMeetings
