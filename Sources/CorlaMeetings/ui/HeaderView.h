#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Clock.h"
#include "meetings/MeetingItem.h"
#include "ui/View.h"

namespace CorlaMeetings {

// The top of the drop-down (410 x 124): brand line, the next meeting's name in large type,
// the number of loaded meetings, one line about the next meeting, and the four-day timeline.
std::shared_ptr<View> makeHeaderView(const std::vector<MeetingItem>& meetings, const std::optional<MeetingItem>& next,
                                     const Clock& clock);

// A three-line card (390 x 88) standing in for the meeting list when there is none to show.
std::shared_ptr<View> makeStatusCardView(const std::string& title, const std::string& subtitle,
                                         const std::string& detail);

// "Live now • 9:00 AM-10:00 AM" or "In 5m • 9:00 AM-10:00 AM".
std::string headerDetailText(const MeetingItem& item, Instant now);

}  // namespace CorlaMeetings
