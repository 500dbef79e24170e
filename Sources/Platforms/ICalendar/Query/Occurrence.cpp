#include "ICalendar/Query/Occurrence.h"

#include <chrono>
#include <cstdio>

namespace CorlaMeetings {

using namespace std::chrono;

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
