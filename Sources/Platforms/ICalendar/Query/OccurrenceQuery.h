#pragma once

#include <memory>
#include <vector>

#include "ICalendar/Parsing/ParseLimits.h"
#include "ICalendar/Zones/EventTimeZone.h"
#include "app/CalendarEvent.h"
#include "app/Time.h"

namespace CorlaMeetings {

// One window query over one or more calendars: the window, the occurrences found so far
// (at most ParseLimits::kMaxOccurrencesPerQuery), and the user's zone for floating times,
// made on first need and shared by every calendar the query visits.
class OccurrenceQuery {
 public:
  OccurrenceQuery(Instant start, Instant end) : start_(start), end_(end) {}

  Instant start() const { return start_; }
  Instant end() const { return end_; }

  // Whether [start, end) meets the window; an event of no length counts where it stands.
  bool overlaps(Instant start, Instant end) const { return start < end_ && (end > start_ || start >= start_); }

  const EventTimeZone& localZone() {
    if (!localZone_) localZone_ = EventTimeZone::current();
    return *localZone_;
  }

  bool full() const { return results_.size() >= ParseLimits::kMaxOccurrencesPerQuery; }

  void add(std::shared_ptr<const CalendarEvent> event) {
    if (!full()) results_.push_back(std::move(event));
  }

  std::vector<std::shared_ptr<const CalendarEvent>> take() { return std::move(results_); }

 private:
  Instant start_;
  Instant end_;
  std::unique_ptr<EventTimeZone> localZone_;
  std::vector<std::shared_ptr<const CalendarEvent>> results_;
};

}  // namespace CorlaMeetings
