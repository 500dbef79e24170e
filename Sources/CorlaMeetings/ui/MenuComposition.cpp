#include <algorithm>

#include "app/AppDelegate.h"
#include "scheduling/Reminders.h"
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

}  // namespace

// Rebuilt whole from the current state every time, never edited in place.
void AppDelegate::rebuildMenu() {
  menu->removeAllItems();

  if (!calendarAccessGranted) {
    menu->addItem(statusCard("Velto Meetings Reminder", "Calendar access needed",
                             "Allow Calendar permission, then refresh."));
  } else {
    menu->addItem(headerView());
    menu->addItem(MenuItem::separator());
    if (meetings.empty()) {
      menu->addItem(statusCard("No meetings", "Next 4 days are clear", "Nothing scheduled in your visible calendars."));
    } else {
      std::vector<DaySection> sections = groupedMeetings();
      std::size_t shown = 0;
      std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
      for (std::size_t s = 0; s < std::min(kMaxSections, sections.size()); ++s) {
        MenuItem title = textItem(MenuItem::Kind::sectionTitle, sections[s].title);
        title.attributes = TextAttributes{Font::system(12, FontWeight::semibold), secondaryLabelColor()};
        menu->addItem(std::move(title));

        const std::vector<MeetingItem>& items = sections[s].items;
        for (std::size_t i = 0; i < std::min(kMaxCardsPerSection, items.size()); ++i) {
          MeetingItem meeting = items[i];
          auto joinAction = [weakSelf, meeting] {
            auto self = weakSelf.lock();
            if (!self) return;
            if (meeting.joinURL && meeting.joinURL->isWebLink()) self->platform_.workspace.openURL(*meeting.joinURL);
          };
          MenuItem card;
          card.kind = MenuItem::Kind::view;
          card.view = std::make_shared<MeetingCardView>(meeting, std::move(joinAction), now());
          menu->addItem(std::move(card));
          ++shown;
        }
      }
      if (shown < meetings.size()) {
        menu->addItem(textItem(MenuItem::Kind::more,
                               "+ " + std::to_string(meetings.size() - shown) + " more in the next 4 days"));
      }
    }
  }

  auto command = [this](std::string title, std::string key, void (AppDelegate::*action)()) {
    MenuItem item;
    item.kind = MenuItem::Kind::command;
    item.title = std::move(title);
    item.keyEquivalent = std::move(key);
    std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
    item.action = [weakSelf, action] {
      if (auto self = weakSelf.lock()) ((*self).*action)();
    };
    return item;
  };
  std::int64_t reminderMinutes = effectiveLeadMinutes(defaults.integerForKey(kReminderMinutesKey));

  menu->addItem(MenuItem::separator());
  menu->addItem(command("Refresh", "r", &AppDelegate::refreshClicked));
  menu->addItem(command("Open Calendar", "o", &AppDelegate::openCalendarClicked));
  menu->addItem(command("Reminder: " + std::to_string(reminderMinutes) + " min before", "",
                        &AppDelegate::cycleReminderClicked));
  menu->addItem(command("Request Calendar Permission", "", &AppDelegate::requestCalendarClicked));
  menu->addItem(MenuItem::separator());
  menu->addItem(command("Quit", "q", &AppDelegate::quitClicked));
}

}  // namespace CorlaMeetings
