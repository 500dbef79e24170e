#pragma once

#include <optional>
#include <string_view>

#include "app/CalendarEvent.h"
#include "meetings/Url.h"

namespace CorlaMeetings {

// The online-meeting link of an event: the first link of the first service (in service
// order) found in its URL, location and notes; else the event's own URL when that is a
// web link. Linear in the size of the texts, which may be megabytes of hostile HTML.
std::optional<Url> detectJoinURL(const CalendarEvent& event);

// The same search over one text, without the fallback.
std::optional<Url> findServiceLink(std::string_view text);

}  // namespace CorlaMeetings
