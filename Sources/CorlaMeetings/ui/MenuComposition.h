#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "app/Clock.h"
#include "meetings/MeetingItem.h"
#include "meetings/Url.h"
#include "ui/Menu.h"

namespace CorlaMeetings {

// What the menu's commands and join buttons do. The menu keeps these and may outlive
// whoever made them: each must be safe to call at any time.
struct MenuActions {
  std::function<void(const Url&)> openLink;  // a join button's web link
  std::function<void()> refresh;
  std::function<void()> openCalendar;
  std::function<void()> cycleReminder;
  std::function<void()> requestCalendar;
  std::function<void()> quit;
};

// What the menu shows.
struct MenuContent {
  bool calendarAccessGranted = false;
  const std::vector<MeetingItem>& meetings;  // in start order
  std::int64_t reminderMinutes = 0;          // the lead time in effect
};

// The drop-down, item by item: without calendar access a card saying so; else the header,
// then the meetings under their local days (at most four days of five cards each, then a
// count of the rest) or a card saying there are none; then the commands.
std::vector<MenuItem> composeMenu(const MenuContent& content, const Clock& clock, const MenuActions& actions);

}  // namespace CorlaMeetings
