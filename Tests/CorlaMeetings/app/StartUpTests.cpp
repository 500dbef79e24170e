#include <thread>

#include "Support/AppDelegateFixture.h"

namespace CorlaMeetings::Testing {
namespace {

using StartUp = AppDelegateFixture;

TEST_F(StartUp, LaunchShowsBrandAndAccessNeededMenuBeforeAccessIsAnswered) {
  sim.calendarStore.holdAccessRequests();
  delegate = std::make_shared<AppDelegate>(sim.platform());
  delegate->applicationDidFinishLaunching();
  sim.runLoop.runUntilIdle();

  EXPECT_TRUE(sim.application.isAccessory());
  EXPECT_TRUE(sim.notificationCenter.hasDelegate());
  EXPECT_EQ(title(), "Velto");
  EXPECT_EQ(sim.statusItem.simulatedButton()->toolTip(), "Velto Meetings Reminder");
  EXPECT_EQ(sim.statusItem.menu(), delegate->currentMenu());
  EXPECT_EQ(menuOutline(), (std::vector<std::string>{"[status] Velto Meetings Reminder", "---", "Refresh (r)",
                                                     "Open Calendar (o)", "Reminder: 15 min before",
                                                     "Request Calendar Permission", "---", "Quit (q)"}));
  EXPECT_EQ(sim.notificationCenter.authorizationRequestCount(), 1);
  EXPECT_EQ(sim.calendarStore.accessRequestCount(), 1);
  EXPECT_EQ(sim.calendarStore.queryCount(), 0);

  // The first timer is armed from the empty list, without access: five minutes.
  ASSERT_EQ(sim.runLoop.liveTimerCount(), 1u);
  EXPECT_EQ(sim.runLoop.liveTimers()[0].interval, 300);
  EXPECT_EQ(sim.runLoop.liveTimers()[0].tolerance, 60);
}

TEST_F(StartUp, RegistersLoginItemOnlyOnFirstLaunch) {
  launch();
  EXPECT_EQ(sim.loginItem.attemptCount(), 1);
  EXPECT_TRUE(sim.preferences.boolForKey("didConfigureOpenAtLogin"));

  // A relaunch with the same preferences does not sign the user up again.
  delegate = std::make_shared<AppDelegate>(sim.platform());
  delegate->applicationDidFinishLaunching();
  EXPECT_EQ(sim.loginItem.attemptCount(), 1);
}

TEST_F(StartUp, FailedLoginItemRegistrationIsNotRetried) {
  sim.loginItem.setFailing(true);
  launch();
  EXPECT_EQ(sim.loginItem.attemptCount(), 1);
  EXPECT_FALSE(sim.loginItem.isRegistered());
  EXPECT_TRUE(sim.preferences.boolForKey("didConfigureOpenAtLogin"));

  delegate = std::make_shared<AppDelegate>(sim.platform());
  delegate->applicationDidFinishLaunching();
  EXPECT_EQ(sim.loginItem.attemptCount(), 1);
}

TEST_F(StartUp, StatusItemWithoutButtonStillGetsTheMenu) {
  SimulatedPlatform buttonless(sim.clock.now(), /*statusItemHasButton=*/false);
  auto app = std::make_shared<AppDelegate>(buttonless.platform());
  app->applicationDidFinishLaunching();
  buttonless.runLoop.runUntilIdle();
  EXPECT_EQ(buttonless.statusItem.menu(), app->currentMenu());
  EXPECT_TRUE(app->hasCalendarAccess());
}

TEST_F(StartUp, CallbacksDoNothingOnceTheDelegateIsGone) {
  sim.calendarStore.holdAccessRequests();
  launch();
  std::weak_ptr<AppDelegate> weak = delegate;
  auto menu = delegate->currentMenu();
  delegate.reset();
  ASSERT_TRUE(weak.expired());

  sim.calendarStore.answerPendingAccessRequests(true);
  sim.calendarStore.postChange();
  for (const MenuItem& item : menu->items()) {
    if (item.action) item.action();
  }
  sim.runLoop.runFor(3600);
  EXPECT_EQ(sim.calendarStore.queryCount(), 0);
  EXPECT_FALSE(sim.application.isTerminated());
}

using AccessRequests = AppDelegateFixture;

TEST_F(AccessRequests, GrantLoadsMeetings) {
  addMeeting("Standup", 3600);
  launch();
  EXPECT_TRUE(delegate->hasCalendarAccess());
  EXPECT_EQ(meetingTitles(), std::vector<std::string>{"Standup"});
  EXPECT_EQ(title(), "Velto Standup");
}

TEST_F(AccessRequests, RefusalShowsAlertTitleAndAccessNeededCard) {
  addMeeting("Standup", 3600);
  sim.calendarStore.answerAccessWith(false);
  launch();
  EXPECT_FALSE(delegate->hasCalendarAccess());
  EXPECT_EQ(title(), "Velto!");
  EXPECT_EQ(menuOutline()[0], "[status] Velto Meetings Reminder");
  EXPECT_EQ(sim.calendarStore.queryCount(), 0);
  EXPECT_EQ(sim.runLoop.liveTimers()[0].interval, 300);
}

TEST_F(AccessRequests, RefusalAfterGrantKeepsOldMeetingsButShowsAccessNeeded) {
  addMeeting("Standup", 120);
  launch();
  ASSERT_EQ(meetingTitles().size(), 1u);
  size_t remindersBefore = sim.notificationCenter.posted().size();

  sim.calendarStore.answerAccessWith(false);
  delegate->requestCalendarClicked();
  sim.runLoop.runUntilIdle();
  sim.preferences.setInteger("reminderMinutes", 1);
  sim.clock.advance(70);
  refresh();

  EXPECT_FALSE(delegate->hasCalendarAccess());
  EXPECT_EQ(meetingTitles(), std::vector<std::string>{"Standup"});
  EXPECT_EQ(title(), "Velto!");
  EXPECT_EQ(menuOutline()[0], "[status] Velto Meetings Reminder");
  EXPECT_EQ(sim.notificationCenter.posted().size(), remindersBefore);
}

TEST_F(AccessRequests, AnswerFromAnotherThreadIsAppliedOnTheMainLoop) {
  addMeeting("Standup", 3600);
  sim.calendarStore.holdAccessRequests();
  launch();
  std::thread answering([this] { sim.calendarStore.answerPendingAccessRequests(true); });
  answering.join();
  EXPECT_FALSE(delegate->hasCalendarAccess());  // not before the main loop runs the task

  sim.runLoop.runUntilIdle();
  EXPECT_TRUE(delegate->hasCalendarAccess());
  EXPECT_EQ(meetingTitles(), std::vector<std::string>{"Standup"});
}

TEST_F(AccessRequests, EveryRequestAnswerStartsARefresh) {
  launch();
  int queries = sim.calendarStore.queryCount();
  delegate->requestCalendarClicked();
  delegate->requestCalendarClicked();
  sim.runLoop.runUntilIdle();
  EXPECT_EQ(sim.calendarStore.queryCount(), queries + 2);
  EXPECT_EQ(sim.notificationCenter.authorizationRequestCount(), 3);
  EXPECT_TRUE(delegate->hasCalendarAccess());
}

using MenuCommands = AppDelegateFixture;

TEST_F(MenuCommands, RefreshOpenCalendarAndQuitDoWhatTheySay) {
  addMeeting("Standup", 3600);
  launch();
  int queries = sim.calendarStore.queryCount();
  delegate->refreshClicked();
  delegate->refreshClicked();
  EXPECT_EQ(sim.calendarStore.queryCount(), queries + 2);
  EXPECT_EQ(meetingTitles(), std::vector<std::string>{"Standup"});

  delegate->openCalendarClicked();
  EXPECT_EQ(sim.workspace.calendarApplicationOpenCount(), 1);
  EXPECT_TRUE(sim.workspace.openedURLs().empty());

  delegate->quitClicked();
  EXPECT_TRUE(sim.application.isTerminated());
}

TEST_F(MenuCommands, JoinNextMeetingOpensOnlyTheNextMeetingsLink) {
  addEvent({.title = "Ended", .startsIn = -3600, .notes = "https://zoom.us/j/1"});
  addEvent({.title = "Next", .startsIn = 600, .notes = "https://zoom.us/j/2"});
  launch();
  EXPECT_TRUE(delegate->joinNextMeeting());
  EXPECT_EQ(sim.workspace.openedURLs(), std::vector<std::string>{"https://zoom.us/j/2"});

  sim.calendarStore.removeAllEvents();
  addMeeting("No link", 600);
  refresh();
  EXPECT_FALSE(delegate->joinNextMeeting());
  EXPECT_EQ(sim.workspace.openedURLs().size(), 1u);
}

}  // namespace
}  // namespace CorlaMeetings::Testing
