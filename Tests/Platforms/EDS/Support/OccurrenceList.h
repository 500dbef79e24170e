#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "app/CalendarEvent.h"

namespace CorlaMeetings::Testing {

// What a meeting is made of, identifier included, in an order that compares.
using Occurrence = std::tuple<std::string, std::string, Instant, Instant, bool>;

inline std::vector<Occurrence> occurrencesOf(const std::vector<std::shared_ptr<const CalendarEvent>>& events) {
  std::vector<Occurrence> found;
  for (const auto& event : events) {
    found.emplace_back(event->eventIdentifier.value_or(""), event->title.value_or(""), event->startDate, event->endDate,
                       event->isAllDay);
  }
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace CorlaMeetings::Testing
