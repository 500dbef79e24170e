#pragma once

#include <optional>
#include <string>

#include "app/Time.h"
#include "meetings/MeetingItem.h"

namespace CorlaMeetings {

// The panel text for the next meeting: "● <name>" while it runs, "Velto <name>" when it
// starts within three hours, else the brand word alone. No clock times: those are in the
// drop-down.
std::string menuBarTitle(const std::optional<MeetingItem>& next, Instant now);

}  // namespace CorlaMeetings
