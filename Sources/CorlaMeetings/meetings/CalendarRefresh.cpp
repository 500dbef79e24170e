#include <algorithm>

#include "app/AppDelegate.h"
#include "app/LocalCalendar.h"
#include "meetings/JoinLinkDetection.h"

namespace CorlaMeetings {

// The one place that reads the calendar: today and the three days after it, from local
// midnight to local midnight.
void AppDelegate::refreshMeetings() {
  if (!calendarAccessGranted) {
    if (StatusButton* button = statusItem.button()) button->setTitle("Velto!");
    rebuildMenu();
    configureAdaptiveRefreshTimer();
    return;
  }

  Instant windowStart = LocalCalendar::startOfDay(now());
  Instant windowEnd = LocalCalendar::addingDays(windowStart, 4);
  std::vector<std::shared_ptr<const CalendarEvent>> events = eventStore.events(windowStart, windowEnd);

  std::erase_if(events, [](const auto& event) { return !event || event->isAllDay; });
  // Meetings that start together keep the store's order.
  std::stable_sort(events.begin(), events.end(),
                   [](const auto& a, const auto& b) { return a->startDate < b->startDate; });

  std::vector<MeetingItem> loaded;
  loaded.reserve(events.size());
  for (auto& event : events) {
    std::optional<Url> joinURL = detectJoinURL(*event);
    loaded.push_back(MeetingItem{std::move(event), std::move(joinURL)});
  }
  meetings = std::move(loaded);

  updateMenuBarTitle();
  sendDueNotifications();
  rebuildMenu();
  configureAdaptiveRefreshTimer();
}

}  // namespace CorlaMeetings
