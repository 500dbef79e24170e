#pragma once

#include <memory>
#include <optional>

#include "ICalendar/Records/EventLength.h"
#include "ICalendar/Records/ZonedTime.h"
#include "app/CalendarEvent.h"

namespace CorlaMeetings {

// An event that occurs once, as a parsed calendar keeps it: a plain event, or an override
// of one occurrence of a series. Its texts are valid UTF-8; no libical structure is kept.
struct SingleEvent {
  ZonedTime start;
  EventLength length;
  // For an override, the original start of the occurrence it replaces: its identity.
  std::optional<ZonedTime> recurrenceId;
  // Texts and all-day flag; eventIdentifier holds the UID. Times are filled in per query,
  // or once by the index for an event in a known zone, which then hands this one out.
  std::shared_ptr<CalendarEvent> event;
};

}  // namespace CorlaMeetings
