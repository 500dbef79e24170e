#pragma once

#include <optional>
#include <string>

#include "app/Time.h"

namespace CorlaMeetings {

// One occurrence of a calendar event as the store hands it out. Read-only once made;
// texts are UTF-8 and may come from strangers (invites), so nothing here is trusted.
struct CalendarEvent {
  std::optional<std::string> eventIdentifier;
  std::optional<std::string> title;
  Instant startDate;
  Instant endDate;
  bool isAllDay = false;
  std::optional<std::string> location;
  std::optional<std::string> notes;
  std::optional<std::string> URL;  // the event's own link, as written
};

}  // namespace CorlaMeetings
