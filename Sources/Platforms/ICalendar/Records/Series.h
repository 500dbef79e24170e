#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CalendarEvent.h"
#include "ICalendar/Zones/EventTimeZone.h"
#include "ICalendar/Recurrence/RecurrenceRule.h"

namespace CorlaMeetings {

// The compact records a parsed calendar keeps: times placed in resolved zones, texts made
// valid UTF-8, and no libical structures.

// A wall-clock time in `zone`, or floating when `zone` is null: then it is read in the
// user's zone at query time. DATE values are floating midnights.
struct ZonedTime {
  LocalSeconds local{};
  const EventTimeZone* zone = nullptr;
};

// How long an occurrence lasts: whole days in wall-clock time (so an all-day event ends at
// local midnight across a clock change), then exact seconds.
struct EventLength {
  int days = 0;
  std::chrono::seconds exact{0};

  // At least as long as any occurrence, whatever the zone does.
  std::chrono::seconds longest() const { return std::chrono::days(days) + std::chrono::hours(days > 0) + exact; }
};

// An event that occurs once: a plain event, or an override of one occurrence of a series.
struct SingleEvent {
  ZonedTime start;
  EventLength length;
  // For an override, the original start of the occurrence it replaces: its identity.
  std::optional<ZonedTime> recurrenceId;
  // Texts and all-day flag; eventIdentifier holds the UID. Times are filled in per query,
  // or once by the index for an event in a known zone, which then hands this one out.
  std::shared_ptr<CalendarEvent> event;
};

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

// A repeating event: DTSTART, its rules and dates, and the starts it must skip (EXDATEs and
// the occurrences overrides replace), all on the clock of the series' zone.
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
  std::shared_ptr<const CalendarEvent> event;         // texts; eventIdentifier holds the UID

  bool skips(LocalSeconds occurrence) const;
  // The change in force for an occurrence originally at `occurrence`, if any.
  const SeriesChange* changeFor(LocalSeconds occurrence) const;
};

// The instant an occurrence starting at `local` (in `zone`) ends.
Instant endOfOccurrence(Instant start, LocalSeconds local, const EventLength& length, const EventTimeZone& zone);

// UID + "/" + the occurrence's original start in UTC, as 20240131T090000Z: the identity of
// one occurrence of a series, stable across refreshes.
std::string occurrenceIdentifier(const std::string& uid, Instant originalStart);

// A copy of `prototype` with the times (and identifier) of one occurrence.
std::shared_ptr<const CalendarEvent> occurrenceOf(const CalendarEvent& prototype, Instant start, Instant end,
                                                  std::optional<std::string> identifier);

}  // namespace CorlaMeetings
