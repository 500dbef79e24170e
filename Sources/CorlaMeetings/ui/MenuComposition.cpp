#include "ui/MenuComposition.h"

#include <algorithm>
#include <string>

#include "meetings/DaySection.h"
#include "ui/HeaderView.h"
#include "ui/MeetingCardView.h"

namespace CorlaMeetings {

namespace {

// Bounds the menu to 20 cards whatever the calendar holds.
constexpr std::size_t kMaxSections = 4;
constexpr std::size_t kMaxCardsPerSection = 5;

MenuItem textItem(MenuItem::Kind kind, std::string title) {
  MenuItem item;
  item.kind = kind;
  item.title = std::move(title);
  item.enabled = true;
  return item;
}

MenuItem viewItem(std::shared_ptr<View> view) {
  MenuItem item;
  item.kind = MenuItem::Kind::view;
  item.view = std::move(view);
  return item;
}

MenuItem command(std::string title, std::string key, std::function<void()> action) {
  MenuItem item;
  item.kind = MenuItem::Kind::command;
  item.title = std::move(title);
  item.keyEquivalent = std::move(key);
  item.action = std::move(action);
  return item;
}

void addMeetingSections(std::vector<MenuItem>& items, const std::vector<MeetingItem>& meetings, Instant now,
                        const MenuActions& actions) {
  std::vector<DaySection> sections = groupByDay(meetings, now);
  std::size_t shown = 0;
  for (std::size_t s = 0; s < std::min(kMaxSections, sections.size()); ++s) {
    MenuItem title = textItem(MenuItem::Kind::sectionTitle, sections[s].title);
    title.attributes = TextAttributes{Font::system(12, FontWeight::semibold), secondaryLabelColor()};
    items.push_back(std::move(title));

    const std::vector<MeetingItem>& dayItems = sections[s].items;
    for (std::size_t i = 0; i < std::min(kMaxCardsPerSection, dayItems.size()); ++i) {
      const MeetingItem& meeting = dayItems[i];
      auto join = [openLink = actions.openLink, link = meeting.joinURL] {
        if (openLink && link && link->isWebLink()) openLink(*link);
      };
      items.push_back(viewItem(std::make_shared<MeetingCardView>(meeting, std::move(join), now)));
      ++shown;
    }
  }
  if (shown < meetings.size()) {
    items.push_back(
        textItem(MenuItem::Kind::more, "+ " + std::to_string(meetings.size() - shown) + " more in the next 4 days"));
  }
}

}  // namespace

std::vector<MenuItem> composeMenu(const MenuContent& content, const Clock& clock, const MenuActions& actions) {
  std::vector<MenuItem> items;
  const Instant now = clock.now();
  if (!content.calendarAccessGranted) {
    items.push_back(viewItem(std::make_shared<StatusCardView>("Velto Meetings Reminder", "Calendar access needed",
                                                              "Allow Calendar permission, then refresh.")));
  } else {
    items.push_back(
        viewItem(std::make_shared<HeaderView>(content.meetings, firstUnfinishedMeeting(content.meetings, now), clock)));
    items.push_back(MenuItem::separator());
    if (content.meetings.empty()) {
      items.push_back(viewItem(std::make_shared<StatusCardView>("No meetings", "Next 4 days are clear",
                                                                "Nothing scheduled in your visible calendars.")));
    } else {
      addMeetingSections(items, content.meetings, now, actions);
    }
  }

  items.push_back(MenuItem::separator());
  items.push_back(command("Refresh", "r", actions.refresh));
  items.push_back(command("Open Calendar", "o", actions.openCalendar));
  items.push_back(
      command("Reminder: " + std::to_string(content.reminderMinutes) + " min before", "", actions.cycleReminder));
  items.push_back(command("Request Calendar Permission", "", actions.requestCalendar));
  items.push_back(MenuItem::separator());
  items.push_back(command("Quit", "q", actions.quit));
  return items;
}

}  // namespace CorlaMeetings
