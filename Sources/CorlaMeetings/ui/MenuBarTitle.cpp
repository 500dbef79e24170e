#include "ui/MenuBarTitle.h"

#include "ui/DisplayText.h"

namespace CorlaMeetings {

StatusTitle menuBarTitle(const std::optional<MeetingItem>& next, Instant now) {
  if (!next) return {"Velto", StatusState::brand};
  if (next->isHappeningNow(now)) return {"\u25CF " + cleanedMeetingName(next->title(), 18), StatusState::live};
  if (next->event->startDate - now > std::chrono::hours(3)) return {"Velto", StatusState::brand};
  return {"Velto " + cleanedMeetingName(next->title(), 18), StatusState::soon};
}

StatusTitle noAccessTitle() { return {"Velto!", StatusState::noAccess}; }

}  // namespace CorlaMeetings
