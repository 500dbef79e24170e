#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ICalendar/Zones/EventTimeZone.h"
#include "app/CalendarEvent.h"
#include "app/Time.h"

namespace CorlaMeetings {

// A store's last window answer. A refresh asks for the same window again and again, and
// with the calendars and the user's zone unchanged the answer is the same: this spares a
// refresh the expansion of every series (libical's, tens of microseconds each).
class OccurrenceCache {
 public:
  using Events = std::vector<std::shared_ptr<const CalendarEvent>>;

  // The answer for [start, end) over calendars at `version` (which the store bumps on every
  // change): kept, or made by `compute` and kept.
  template <typename Compute>
  Events answer(std::uint64_t version, Instant start, Instant end, Compute compute) {
    std::string zone = EventTimeZone::currentId();
    if (last_ && last_->version == version && last_->start == start && last_->end == end && last_->zone == zone) {
      return last_->events;
    }
    Events events = compute();
    last_ = Answer{version, start, end, std::move(zone), events};
    return events;
  }

 private:
  struct Answer {
    std::uint64_t version = 0;
    Instant start;
    Instant end;
    std::string zone;
    Events events;
  };
  std::optional<Answer> last_;
};

}  // namespace CorlaMeetings
