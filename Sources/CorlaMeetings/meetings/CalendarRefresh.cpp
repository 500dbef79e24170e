#include "meetings/CalendarRefresh.h"

#include <algorithm>

#include "app/LocalCalendar.h"
#include "meetings/JoinLinkDetection.h"

namespace CorlaMeetings {

std::vector<MeetingItem> loadMeetings(CalendarStore& store, Instant now) {
  Instant windowStart = LocalCalendar::startOfDay(now);
  Instant windowEnd = LocalCalendar::addingDays(windowStart, 4);
  std::vector<std::shared_ptr<const CalendarEvent>> events = store.events(windowStart, windowEnd);

  std::erase_if(events, [](const auto& event) { return !event || event->isAllDay; });
  std::stable_sort(events.begin(), events.end(),
                   [](const auto& a, const auto& b) { return a->startDate < b->startDate; });

  std::vector<MeetingItem> meetings;
  meetings.reserve(events.size());
  for (auto& event : events) {
    std::optional<Url> joinURL = detectJoinURL(*event);
    meetings.push_back(MeetingItem{std::move(event), std::move(joinURL)});
  }
  return meetings;
}

}  // namespace CorlaMeetings
