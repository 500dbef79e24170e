#include "meetings/DaySection.h"

#include <map>

#include "app/LocalCalendar.h"
#include "ui/DisplayText.h"

namespace CorlaMeetings {

std::vector<DaySection> groupByDay(const std::vector<MeetingItem>& meetings, Instant now) {
  std::map<Instant, std::vector<MeetingItem>> byDay;
  for (const MeetingItem& item : meetings) byDay[LocalCalendar::startOfDay(item.event->startDate)].push_back(item);

  Instant today = LocalCalendar::startOfDay(now);
  Instant tomorrow = LocalCalendar::addingDays(today, 1);
  std::vector<DaySection> sections;
  sections.reserve(byDay.size());
  for (auto& [day, items] : byDay) {
    std::string title = day == today ? "Today" : day == tomorrow ? "Tomorrow" : dayHeading(day);
    sections.push_back(DaySection{std::move(title), std::move(items)});
  }
  return sections;
}

std::optional<MeetingItem> firstUnfinishedMeeting(const std::vector<MeetingItem>& meetings, Instant now) {
  for (const MeetingItem& item : meetings) {
    if (item.event->endDate > now) return item;
  }
  return std::nullopt;
}

}  // namespace CorlaMeetings
