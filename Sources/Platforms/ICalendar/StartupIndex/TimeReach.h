#pragma once

#include <cstdint>
#include <limits>

#include "ICalendar/Records/Series.h"
#include "ICalendar/Records/SingleEvent.h"
#include "app/Time.h"

namespace CorlaMeetings {

// A span of time in whole seconds since the epoch, both ends included: where some
// occurrences can lie. Empty as made; endless on a side where a series never ends.
struct TimeReach {
  std::int64_t first = std::numeric_limits<std::int64_t>::max();
  std::int64_t last = std::numeric_limits<std::int64_t>::min();

  static TimeReach endless() {
    return {std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()};
  }
  // The seconds that [start, end) touches.
  static TimeReach between(Instant start, Instant end);

  bool empty() const { return first > last; }
  bool meets(const TimeReach& other) const { return first <= other.last && other.first <= last; }
  bool holds(const TimeReach& other) const { return first <= other.first && other.last <= last; }
  void add(const TimeReach& other);
  bool operator==(const TimeReach&) const = default;
};

// Where the occurrences of a record can lie, whatever the zone floating times are read in
// and whatever a zone's rules say: a wall-clock time is within 26 hours of the same digits
// read as UTC. A series reaches from its first start to its last occurrence's end, with
// its RDATEs and moved occurrences; one without a last start is endless.
TimeReach reachOf(const SingleEvent& event);
TimeReach reachOf(const Series& series);

}  // namespace CorlaMeetings
