#include "ICalendar/Query/EventCalendar.h"

#include "ICalendar/Recurrence/RecurrenceExpansion.h"

namespace CorlaMeetings {

EventCalendar::EventCalendar(EventIndex singles, std::vector<Series> series,
                             std::vector<std::shared_ptr<const EventTimeZone>> zones, std::size_t eventCount)
    : singles_(std::move(singles)), series_(std::move(series)), zones_(std::move(zones)), eventCount_(eventCount) {}

std::vector<std::shared_ptr<const CalendarEvent>> EventCalendar::occurrences(Instant start, Instant end) const {
  OccurrenceQuery query(start, end);
  collect(query);
  return query.take();
}

void EventCalendar::collect(OccurrenceQuery& query) const {
  if (!(query.start() < query.end())) return;
  singles_.collect(query);
  for (const auto& series : series_) {
    if (query.full()) return;
    expandSeries(series, query);
  }
}

}  // namespace CorlaMeetings
