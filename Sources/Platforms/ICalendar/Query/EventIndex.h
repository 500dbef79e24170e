#pragma once

#include <chrono>
#include <memory>
#include <vector>

#include "ICalendar/Query/OccurrenceQuery.h"
#include "ICalendar/Records/Series.h"
#include "ICalendar/Records/SingleEvent.h"

namespace CorlaMeetings {

// The events that occur once, sorted by start, so that a window query is a binary search
// followed by a short scan: the scan looks back only as far as the longest ordinary event,
// and the few events longer than a week are checked one by one.
//
// Events in a known zone are turned into their final CalendarEvent once, here, and handed
// out as they are. Floating ones (all-day events among them) are sorted by their wall-clock
// start and placed in the user's zone per query.
class EventIndex {
 public:
  EventIndex() = default;
  explicit EventIndex(std::vector<SingleEvent> events);
  // The events of several indexes as one: a vdir folder's thousands of one-event files are
  // then searched once rather than one by one.
  explicit EventIndex(const std::vector<const EventIndex*>& parts);

  void collect(OccurrenceQuery& query) const;
  std::size_t size() const { return fixed_.size() + longFixed_.size() + floating_.size() + longFloating_.size(); }

 private:
  struct Fixed {
    Instant start;
    Instant end;
    std::shared_ptr<const CalendarEvent> event;
  };

  static void collectFloating(const SingleEvent& event, OccurrenceQuery& query);

  std::vector<Fixed> fixed_;  // sorted by start
  std::vector<Fixed> longFixed_;
  Instant::duration longestFixed_{0};
  std::vector<SingleEvent> floating_;  // sorted by start.local
  std::vector<SingleEvent> longFloating_;
  std::chrono::seconds longestFloating_{0};
};

}  // namespace CorlaMeetings
