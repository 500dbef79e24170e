#include "app/AppDelegate.h"

#include "meetings/CalendarRefresh.h"
#include "scheduling/RefreshSchedule.h"
#include "scheduling/Reminders.h"
#include "ui/MenuBarTitle.h"
#include "ui/MenuComposition.h"

namespace CorlaMeetings {

// Title, reminders and menu all follow from one read of the calendar; without access the
// meetings last read are kept, but neither shown nor reminded of.
void AppDelegate::refreshMeetings() {
  if (!calendarAccessGranted) {
    if (StatusButton* button = statusItem.button()) button->setTitle(noAccessTitle());
    rebuildMenu();
    configureAdaptiveRefreshTimer();
    return;
  }

  meetings = loadMeetings(eventStore, now());
  updateMenuBarTitle();
  sendDueNotifications();
  rebuildMenu();
  configureAdaptiveRefreshTimer();
}

void AppDelegate::updateMenuBarTitle() {
  StatusTitle title = menuBarTitle(nextMeeting(), now());
  if (StatusButton* button = statusItem.button()) button->setTitle(title);
}

void AppDelegate::sendDueNotifications() {
  std::int64_t leadMinutes = effectiveLeadMinutes(defaults.integerForKey(kReminderMinutesKey));
  for (const NotificationRequest& request : dueReminders(meetings, leadMinutes, now(), notifiedKeys)) {
    platform_.notificationCenter.add(request);
  }
}

// Rebuilt whole from the current state every time, never edited in place.
void AppDelegate::rebuildMenu() {
  std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
  MenuActions actions{
      .openLink =
          [weakSelf](const Url& link) {
            if (auto self = weakSelf.lock()) self->platform_.workspace.openURL(link);
          },
      .refresh = weakAction(&AppDelegate::refreshClicked),
      .openCalendar = weakAction(&AppDelegate::openCalendarClicked),
      .cycleReminder = weakAction(&AppDelegate::cycleReminderClicked),
      .requestCalendar = weakAction(&AppDelegate::requestCalendarClicked),
      .quit = weakAction(&AppDelegate::quitClicked),
  };
  MenuContent content{
      .calendarAccessGranted = calendarAccessGranted,
      .meetings = meetings,
      .reminderMinutes = effectiveLeadMinutes(defaults.integerForKey(kReminderMinutesKey)),
  };
  std::vector<MenuItem> items = composeMenu(content, platform_.clock, actions);
  menu->removeAllItems();
  for (MenuItem& item : items) menu->addItem(std::move(item));
}

// Every refresh ends here, so the next tick always comes one full period after the latest
// refresh, whatever started it.
void AppDelegate::configureAdaptiveRefreshTimer() {
  if (refreshTimer) refreshTimer->invalidate();
  refreshTimer.reset();

  const Duration period = refreshPeriod(calendarAccessGranted, nextMeeting(), now());
  std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
  refreshTimer = platform_.runLoop.scheduleRepeatingTimer(period, [weakSelf] {
    if (auto self = weakSelf.lock()) self->postToSelf(&AppDelegate::refreshMeetings);
  });
  if (refreshTimer) refreshTimer->setTolerance(refreshTolerance(period));
}

// A change may also be what access was waiting for.
void AppDelegate::calendarStoreChanged() {
  if (calendarChangeWorkItem) calendarChangeWorkItem->cancel();
  std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
  calendarChangeWorkItem = platform_.runLoop.runAfter(kCalendarChangeSettle, [weakSelf] {
    if (auto self = weakSelf.lock()) self->postToSelf(&AppDelegate::refreshOrAskAgain);
  });
}

// After a suspend the refresh timer, which counts time the machine was awake, may be hours
// late; after a clock or zone change its period and the loaded days were chosen for a time
// that is no longer now. A refresh puts title, reminders and menu on the new time, and
// re-arms the timer from it.
void AppDelegate::systemTimeChanged() { refreshMeetings(); }

}  // namespace CorlaMeetings
