#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/Platform.h"
#include "meetings/DaySection.h"
#include "meetings/MeetingItem.h"
#include "ui/Menu.h"

namespace CorlaMeetings {

// The one application object: owns all state, runs on the main thread, and reaches the
// desktop only through `Platform`. What it shows and when it acts is decided by the plain
// functions of meetings/, scheduling/ and ui/; this object holds the state and calls them.
// Make it with `std::make_shared`: every closure handed to the platform holds it weakly and
// does nothing once it is gone.
class AppDelegate : public NotificationCenterDelegate, public std::enable_shared_from_this<AppDelegate> {
 public:
  explicit AppDelegate(Platform& platform);

  // Entry points reached by the platform.
  void applicationDidFinishLaunching();
  void refreshClicked();
  void openCalendarClicked();
  void quitClicked();
  void requestCalendarClicked();
  void cycleReminderClicked();
  void calendarStoreChanged();
  // The wall clock may have jumped (resume from suspend, clock set, zone change): refreshes
  // at once, so that nothing runs on a timer measured against the old time.
  void systemTimeChanged();
  void didReceive(const NotificationResponse& response, std::function<void()> completionHandler) override;

  // Opens the next meeting's join link, for a desktop shortcut. False when there is no next
  // meeting or it has no web link: nothing is opened then.
  bool joinNextMeeting();

  // Read-only views of the state, for front ends and tests.
  const std::vector<MeetingItem>& currentMeetings() const { return meetings; }
  bool hasCalendarAccess() const { return calendarAccessGranted; }
  const std::set<std::string>& remindedKeys() const { return notifiedKeys; }
  std::shared_ptr<const Menu> currentMenu() const { return menu; }
  std::vector<DaySection> groupedMeetings() const { return groupByDay(meetings, now()); }
  std::optional<MeetingItem> nextMeeting() const { return firstUnfinishedMeeting(meetings, now()); }

 private:
  void requestPermissions();
  void requestCalendarAccess();
  void refreshMeetings();
  // A refresh that, without access to a store where asking is free, asks instead: the
  // answer refreshes.
  void refreshOrAskAgain();
  void rebuildMenu();
  void configureAdaptiveRefreshTimer();
  void updateMenuBarTitle();
  void sendDueNotifications();
  // A menu action that runs `operation` on this delegate if it still exists.
  std::function<void()> weakAction(void (AppDelegate::*operation)());

  // Runs `operation` on this delegate from a posted main-thread task, if it still exists.
  void postToSelf(void (AppDelegate::*operation)());
  Instant now() const { return platform_.clock.now(); }

  Platform& platform_;

  StatusItem& statusItem;
  std::shared_ptr<Menu> menu;
  CalendarStore& eventStore;
  Preferences& defaults;
  std::unique_ptr<Timer> refreshTimer;
  std::unique_ptr<DelayedWork> calendarChangeWorkItem;
  std::vector<MeetingItem> meetings;
  bool calendarAccessGranted = false;
  std::set<std::string> notifiedKeys;
};

}  // namespace CorlaMeetings
