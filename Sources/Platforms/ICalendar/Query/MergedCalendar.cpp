#include "ICalendar/Query/MergedCalendar.h"

#include "ICalendar/Query/EventCalendar.h"
#include "ICalendar/Query/ParsedCalendar.h"
#include "ICalendar/Recurrence/RecurrenceExpansion.h"

namespace CorlaMeetings {

namespace {

// Several calendars as one. The single events of its own kind are merged into one index,
// and their series listed together, so that a vdir folder of twenty thousand files is
// queried like one file: one search, one cap, one user's zone.
class MergedCalendar : public ParsedCalendar {
 public:
  explicit MergedCalendar(std::vector<std::shared_ptr<const ParsedCalendar>> calendars) {
    for (auto& calendar : calendars) add(std::move(calendar));
    std::vector<const EventIndex*> indexes;
    for (const auto* calendar : eventCalendars_) {
      indexes.push_back(&calendar->singles());
      for (const auto& series : calendar->series()) series_.push_back(&series);
    }
    singles_ = EventIndex(indexes);
  }

  std::vector<std::shared_ptr<const CalendarEvent>> occurrences(Instant start, Instant end) const override {
    OccurrenceQuery query(start, end);
    if (start < end) {
      singles_.collect(query);
      for (const Series* series : series_) {
        if (query.full()) break;
        expandSeries(*series, query);
      }
    }
    for (const auto& calendar : others_) {
      for (auto& event : calendar->occurrences(start, end)) query.add(std::move(event));
    }
    return query.take();
  }

  std::size_t eventCount() const override {
    std::size_t count = 0;
    for (const auto& calendar : owned_) count += calendar->eventCount();
    return count;
  }

 private:
  void add(std::shared_ptr<const ParsedCalendar> calendar) {
    if (!calendar) return;
    if (const auto* merged = dynamic_cast<const MergedCalendar*>(calendar.get())) {
      for (const auto& part : merged->owned_) add(part);
      return;
    }
    if (const auto* events = dynamic_cast<const EventCalendar*>(calendar.get())) {
      eventCalendars_.push_back(events);
    } else {
      others_.push_back(calendar);
    }
    owned_.push_back(std::move(calendar));
  }

  std::vector<std::shared_ptr<const ParsedCalendar>> owned_;  // keeps what the rest points into
  std::vector<const EventCalendar*> eventCalendars_;
  std::vector<std::shared_ptr<const ParsedCalendar>> others_;
  EventIndex singles_;
  std::vector<const Series*> series_;
};

}  // namespace

std::shared_ptr<const ParsedCalendar> mergeCalendars(std::vector<std::shared_ptr<const ParsedCalendar>> calendars) {
  return std::make_shared<const MergedCalendar>(std::move(calendars));
}

}  // namespace CorlaMeetings
