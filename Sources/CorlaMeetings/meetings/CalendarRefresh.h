#pragma once

#include <vector>

#include "app/CalendarStore.h"
#include "app/Time.h"
#include "meetings/MeetingItem.h"

namespace CorlaMeetings {

// The one place that reads the calendar: the timed events of today and the three days after
// it, from local midnight to local midnight, by start (meetings that start together keep
// the store's order), each with its join link.
std::vector<MeetingItem> loadMeetings(CalendarStore& store, Instant now);

}  // namespace CorlaMeetings
