#include "scheduling/Reminders.h"

#include <limits>

#include "app/AppDelegate.h"
#include "meetings/PlainText.h"
#include "ui/DisplayText.h"

namespace CorlaMeetings {

std::int64_t effectiveLeadMinutes(std::int64_t storedMinutes) { return storedMinutes == 0 ? 15 : storedMinutes; }

double leadWindowSeconds(std::int64_t leadMinutes) {
  std::int64_t seconds = 0;
  if (__builtin_mul_overflow(leadMinutes, std::int64_t{60}, &seconds)) {
    seconds = leadMinutes < 0 ? std::numeric_limits<std::int64_t>::min() : std::numeric_limits<std::int64_t>::max();
  }
  return static_cast<double>(seconds);
}

std::int64_t nextReminderMinutes(std::int64_t storedMinutes) {
  switch (storedMinutes) {
    case 1: return 3;
    case 3: return 5;
    case 5: return 10;
    case 10: return 15;
    default: return 1;
  }
}

std::string reminderKey(const CalendarEvent& event, std::int64_t leadMinutes) {
  std::string identity;
  if (event.eventIdentifier) {
    identity = *event.eventIdentifier;
  } else if (event.title && !event.title->empty()) {
    identity = *event.title;
  } else {
    identity = "Untitled meeting";
  }
  return identity + "-" + std::to_string(leadMinutes);
}

std::string reminderBody(const MeetingItem& item, double secondsUntilStart) {
  // The countdown reads "Starts now" in the last minute, which would make "starts Starts
  // now"; the sentence says it once.
  if (!(secondsUntilStart >= 60)) return item.title() + " starts now.";
  return item.title() + " starts " + asciiLowercased(startsInText(secondsUntilStart)) + ".";
}

// Posted at refreshes only, never scheduled ahead: a reminder always reflects the calendar
// as last read.
void AppDelegate::sendDueNotifications() {
  std::int64_t leadMinutes = effectiveLeadMinutes(defaults.integerForKey(kReminderMinutesKey));
  double window = leadWindowSeconds(leadMinutes);

  for (const MeetingItem& item : meetings) {
    double secondsLeft = secondsBetween(now(), item.event->startDate);
    if (secondsLeft <= 0 || secondsLeft > window) continue;

    std::string key = reminderKey(*item.event, leadMinutes);
    if (!notifiedKeys.insert(key).second) continue;

    NotificationRequest request;
    request.identifier = key;
    request.title = "Meeting soon";
    request.body = reminderBody(item, secondsBetween(now(), item.event->startDate));
    request.defaultSound = true;
    if (item.joinURL) request.userInfo["joinURL"] = item.joinURL->absoluteString();
    platform_.notificationCenter.add(request);
  }
}

void AppDelegate::cycleReminderClicked() {
  defaults.setInteger(kReminderMinutesKey, nextReminderMinutes(defaults.integerForKey(kReminderMinutesKey)));
  rebuildMenu();
}

}  // namespace CorlaMeetings
