#pragma once

#include <memory>
#include <vector>

#include "ICalendar/Query/EventIndex.h"
#include "ICalendar/Query/OccurrenceQuery.h"
#include "ICalendar/Query/ParsedCalendar.h"
#include "ICalendar/Records/Series.h"

namespace CorlaMeetings {

// The parsed calendar of one text: its single events indexed by start, its series, and the
// zones their times refer to. Immutable.
class EventCalendar : public ParsedCalendar {
 public:
  EventCalendar(EventIndex singles, std::vector<Series> series, std::vector<std::shared_ptr<const EventTimeZone>> zones,
                std::size_t eventCount);

  std::vector<std::shared_ptr<const CalendarEvent>> occurrences(Instant start, Instant end) const override;
  std::size_t eventCount() const override { return eventCount_; }

  // Adds this calendar's occurrences to a query that may span several calendars.
  void collect(OccurrenceQuery& query) const;

  const EventIndex& singles() const { return singles_; }
  const std::vector<Series>& series() const { return series_; }

 private:
  EventIndex singles_;
  std::vector<Series> series_;
  std::vector<std::shared_ptr<const EventTimeZone>> zones_;  // what the records point at
  std::size_t eventCount_;
};

}  // namespace CorlaMeetings
