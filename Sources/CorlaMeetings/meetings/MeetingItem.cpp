#include "meetings/MeetingItem.h"

namespace CorlaMeetings {

std::string MeetingItem::title() const {
  if (!event->title || event->title->empty()) return "Untitled meeting";
  return *event->title;
}

bool MeetingItem::isHappeningNow(Instant now) const { return event->startDate <= now && now <= event->endDate; }

}  // namespace CorlaMeetings
