#include "scheduling/Reminders.h"

#include <utility>
#include <variant>

#include "meetings/PlainText.h"
#include "ui/DisplayText.h"

namespace CorlaMeetings {

namespace {

// The user information key of a reminder's join link.
constexpr char kJoinURLKey[] = "joinURL";

}  // namespace

std::int64_t effectiveLeadMinutes(std::int64_t storedMinutes) { return storedMinutes == 0 ? 15 : storedMinutes; }

Duration leadWindow(std::int64_t leadMinutes) {
  constexpr Duration::rep kPerMinute = Duration(std::chrono::minutes(1)).count();
  Duration::rep window = 0;
  if (__builtin_mul_overflow(leadMinutes, kPerMinute, &window))
    return leadMinutes < 0 ? Duration::min() : Duration::max();
  return Duration(window);
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

std::string reminderBody(const MeetingItem& item, Duration untilStart) {
  // The countdown reads "Starts now" in the last minute, which would make "starts Starts
  // now"; the sentence says it once.
  if (untilStart < std::chrono::minutes(1)) return item.title() + " starts now.";
  return item.title() + " starts " + asciiLowercased(startsInText(untilStart)) + ".";
}

std::vector<NotificationRequest> dueReminders(const std::vector<MeetingItem>& meetings, std::int64_t leadMinutes,
                                              Instant now, std::set<std::string>& remindedKeys) {
  const Duration window = leadWindow(leadMinutes);
  std::vector<NotificationRequest> due;
  for (const MeetingItem& item : meetings) {
    const Duration left = item.event->startDate - now;
    if (left <= Duration::zero() || left > window) continue;

    std::string key = reminderKey(*item.event, leadMinutes);
    if (!remindedKeys.insert(key).second) continue;

    NotificationRequest request;
    request.identifier = key;
    request.title = "Meeting soon";
    request.body = reminderBody(item, left);
    request.defaultSound = true;
    if (item.joinURL) request.userInfo[kJoinURLKey] = item.joinURL->absoluteString();
    due.push_back(std::move(request));
  }
  return due;
}

std::optional<Url> reminderLink(const NotificationResponse& response) {
  auto entry = response.userInfo.find(kJoinURLKey);
  if (entry == response.userInfo.end()) return std::nullopt;
  const std::string* text = std::get_if<std::string>(&entry->second);
  if (!text) return std::nullopt;
  std::optional<Url> link = Url::parse(*text);
  if (!link || !link->isWebLink()) return std::nullopt;
  return link;
}

}  // namespace CorlaMeetings
