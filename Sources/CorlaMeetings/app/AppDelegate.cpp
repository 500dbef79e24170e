#include "app/AppDelegate.h"

#include "scheduling/Reminders.h"
#include "ui/MenuBarTitle.h"

namespace CorlaMeetings {

namespace {
const char kDidConfigureOpenAtLoginKey[] = "didConfigureOpenAtLogin";
}  // namespace

AppDelegate::AppDelegate(Platform& platform)
    : platform_(platform),
      statusItem(platform.statusItem),
      menu(std::make_shared<Menu>()),
      eventStore(platform.calendarStore),
      defaults(platform.preferences) {}

void AppDelegate::applicationDidFinishLaunching() {
  platform_.application.setAccessoryActivationPolicy();
  platform_.notificationCenter.setDelegate(weak_from_this());
  // Nothing is known of the calendar yet: the brand.
  if (StatusButton* button = statusItem.button()) button->setTitle(menuBarTitle(std::nullopt, now()));
  if (StatusButton* button = statusItem.button()) button->setToolTip("Velto Meetings Reminder");
  statusItem.setMenu(menu);
  rebuildMenu();

  // Registered once: a user who later removes the login item is never signed up again,
  // and a failed attempt is not retried either.
  if (!defaults.boolForKey(kDidConfigureOpenAtLoginKey)) {
    platform_.loginItem.registerApplication();
    defaults.setBool(kDidConfigureOpenAtLoginKey, true);
  }

  std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
  eventStore.setChangeObserver([weakSelf] {
    if (auto self = weakSelf.lock()) self->calendarStoreChanged();
  });

  requestPermissions();
  configureAdaptiveRefreshTimer();
}

void AppDelegate::requestPermissions() {
  platform_.notificationCenter.requestAuthorization([](bool) {});
  requestCalendarAccess();
}

void AppDelegate::requestCalendarAccess() {
  // The answer may come on any thread: it only posts, and the task touches the state.
  std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
  RunLoop& runLoop = platform_.runLoop;
  eventStore.requestAccess([weakSelf, &runLoop](bool granted) {
    runLoop.postTask([weakSelf, granted] {
      if (auto self = weakSelf.lock()) self->calendarAccessGranted = granted;
      if (auto self = weakSelf.lock()) self->refreshMeetings();
    });
  });
}

void AppDelegate::requestCalendarClicked() { requestPermissions(); }

void AppDelegate::refreshClicked() { refreshOrAskAgain(); }

void AppDelegate::refreshOrAskAgain() {
  if (!calendarAccessGranted && eventStore.askingAgainIsFree()) {
    requestCalendarAccess();
  } else {
    refreshMeetings();
  }
}

void AppDelegate::openCalendarClicked() { platform_.workspace.openCalendarApplication(); }

void AppDelegate::quitClicked() { platform_.application.terminate(); }

bool AppDelegate::joinNextMeeting() {
  std::optional<MeetingItem> next = nextMeeting();
  if (!next || !next->joinURL || !next->joinURL->isWebLink()) return false;
  platform_.workspace.openURL(*next->joinURL);
  return true;
}

void AppDelegate::cycleReminderClicked() {
  defaults.setInteger(kReminderMinutesKey, nextReminderMinutes(defaults.integerForKey(kReminderMinutesKey)));
  rebuildMenu();
}

// A click on a reminder opens the link it carries.
void AppDelegate::didReceive(const NotificationResponse& response, std::function<void()> completionHandler) {
  std::optional<Url> link = reminderLink(response);
  Workspace& workspace = platform_.workspace;
  platform_.runLoop.postTask([link, &workspace, completionHandler = std::move(completionHandler)] {
    if (link) workspace.openURL(*link);
    if (completionHandler) completionHandler();
  });
}

void AppDelegate::postToSelf(void (AppDelegate::*operation)()) {
  std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
  platform_.runLoop.postTask([weakSelf, operation] {
    if (auto self = weakSelf.lock()) ((*self).*operation)();
  });
}

std::function<void()> AppDelegate::weakAction(void (AppDelegate::*operation)()) {
  std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
  return [weakSelf, operation] {
    if (auto self = weakSelf.lock()) ((*self).*operation)();
  };
}

}  // namespace CorlaMeetings
