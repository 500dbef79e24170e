#include "ICalendar/Records/Series.h"

#include <algorithm>
#include <cstdio>

namespace CorlaMeetings {

using namespace std::chrono;

bool Series::skips(LocalSeconds occurrence) const {
  if (std::binary_search(excluded.begin(), excluded.end(), occurrence)) return true;
  return !excludedDays.empty() && std::binary_search(excludedDays.begin(), excludedDays.end(), floor<days>(occurrence));
}

const SeriesChange* Series::changeFor(LocalSeconds occurrence) const {
  const auto after = std::upper_bound(changes.begin(), changes.end(), occurrence,
                                      [](LocalSeconds time, const SeriesChange& change) { return time < change.from; });
  return after == changes.begin() ? nullptr : &*std::prev(after);
}

Instant endOfOccurrence(Instant start, LocalSeconds local, const EventLength& length, const EventTimeZone& zone) {
  if (length.days == 0) return start + length.exact;
  return zone.instantAt(local + days(length.days)) + length.exact;
}

std::string occurrenceIdentifier(const std::string& uid, Instant originalStart) {
  const auto second = floor<seconds>(originalStart);
  const auto day = floor<days>(second);
  const year_month_day date(day);
  const hh_mm_ss time(second - day);
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02u%02uT%02d%02d%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return uid + "/" + text;
}

std::shared_ptr<const CalendarEvent> occurrenceOf(const CalendarEvent& prototype, Instant start, Instant end,
                                                  std::optional<std::string> identifier) {
  auto event = std::make_shared<CalendarEvent>(prototype);
  event->startDate = start;
  event->endDate = end;
  event->eventIdentifier = std::move(identifier);
  return event;
}

}  // namespace CorlaMeetings
