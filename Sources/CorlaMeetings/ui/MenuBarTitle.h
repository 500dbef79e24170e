#pragma once

#include <optional>

#include "app/Time.h"
#include "meetings/MeetingItem.h"
#include "ui/StatusTitle.h"

namespace CorlaMeetings {

// The panel title for the next meeting: "● <name>" while it runs, "Velto <name>" when it
// starts within three hours, else the brand word alone (also before the calendar first
// answers). No clock times: those are in the drop-down.
StatusTitle menuBarTitle(const std::optional<MeetingItem>& next, Instant now);

// "Velto!": the calendars may not be read.
StatusTitle noAccessTitle();

}  // namespace CorlaMeetings
