#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "app/CalendarEvent.h"
#include "app/Time.h"

namespace CorlaMeetings {

// The events of one iCalendar text, kept as compact records (not parse trees) so that a
// query expands only the window it asks for. Immutable once made: safe to share across
// threads, and to query from several at once.
//
// What an occurrence holds: title = SUMMARY as stored (escapes undone, white space kept),
// location = LOCATION, notes = DESCRIPTION, URL = URL as written, all valid UTF-8; isAllDay
// for a DATE start, which then runs from local midnight to local midnight (a time of an
// all-day series names the day it is written on); eventIdentifier = the UID for an event
// that occurs once, and UID + "/" + the occurrence's original start in UTC
// (20240131T080000Z) for each occurrence of a series, overrides included; none without a
// UID. Floating times and dates are read in ICU's default zone at query time. Cancelled
// events are kept; of an event given again in full with a higher SEQUENCE, only that
// version.
class ParsedCalendar {
 public:
  virtual ~ParsedCalendar() = default;

  // Every occurrence overlapping [start, end), one entry per occurrence of a series, with
  // overrides (RECURRENCE-ID; with RANGE=THISANDFUTURE also the later occurrences) applied
  // and exceptions removed. In no promised order. An event of no length counts if it
  // starts in the window. At most
  // ParseLimits::kMaxOccurrencesPerSeries of one series and kMaxOccurrencesPerQuery in all.
  virtual std::vector<std::shared_ptr<const CalendarEvent>> occurrences(Instant start, Instant end) const = 0;

  // Events and series kept (an override counts with its series).
  virtual std::size_t eventCount() const = 0;
};

}  // namespace CorlaMeetings
