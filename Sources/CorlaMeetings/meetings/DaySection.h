#pragma once

#include <string>
#include <vector>

#include "app/Time.h"
#include "meetings/MeetingItem.h"

namespace CorlaMeetings {

// The meetings of one local day, under its heading.
struct DaySection {
  std::string title;  // "Today", "Tomorrow" or the day as "EEE, MMM d"
  std::vector<MeetingItem> items;
};

// `meetings` (in start order) split by local day of their start, days ascending; items
// keep their order within a day.
std::vector<DaySection> groupByDay(const std::vector<MeetingItem>& meetings, Instant now);

// The first meeting, in list order, whose end lies after `now`.
std::optional<MeetingItem> firstUnfinishedMeeting(const std::vector<MeetingItem>& meetings, Instant now);

}  // namespace CorlaMeetings
