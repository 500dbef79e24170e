#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/CalendarEvent.h"
#include "app/Time.h"
#include "meetings/Url.h"

namespace CorlaMeetings {

// A calendar event and the join link found in it. Copies share the event.
struct MeetingItem {
  std::shared_ptr<const CalendarEvent> event;  // never null
  std::optional<Url> joinURL;

  // The event's title, or "Untitled meeting" when it is absent or empty; never trimmed.
  std::string title() const;
  // Start and end both count as in progress.
  bool isHappeningNow(Instant now) const;
};

}  // namespace CorlaMeetings
