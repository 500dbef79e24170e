#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/CalendarEvent.h"
#include "app/Time.h"

namespace CorlaMeetings {

// UID + "/" + the occurrence's original start in UTC, as 20240131T090000Z: the identity of
// one occurrence of a series, stable across refreshes.
std::string occurrenceIdentifier(const std::string& uid, Instant originalStart);

// A copy of `prototype` with the times (and identifier) of one occurrence.
std::shared_ptr<const CalendarEvent> occurrenceOf(const CalendarEvent& prototype, Instant start, Instant end,
                                                  std::optional<std::string> identifier);

}  // namespace CorlaMeetings
