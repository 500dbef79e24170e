#include "ui/MenuBarTitle.h"

#include "app/AppDelegate.h"
#include "ui/DisplayText.h"

namespace CorlaMeetings {

std::string menuBarTitle(const std::optional<MeetingItem>& next, Instant now) {
  if (!next) return "Velto";
  std::string prefix;
  if (next->isHappeningNow(now)) {
    prefix = "\u25CF ";
  } else {
    if (secondsBetween(now, next->event->startDate) > 10800) return "Velto";
    prefix = "Velto ";
  }
  return prefix + cleanedMeetingName(next->title(), 18);
}

void AppDelegate::updateMenuBarTitle() {
  std::string title = menuBarTitle(nextMeeting(), now());
  if (StatusButton* button = statusItem.button()) button->setTitle(title);
}

}  // namespace CorlaMeetings
