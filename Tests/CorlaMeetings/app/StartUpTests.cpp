#include <thread>

#include "Support/AppDelegateFixture.h"

namespace CorlaMeetings::Testing {
namespace {

using StartUp = AppDelegateFixture;

TEST_F(StartUp, ShowsBrandAndAccessNeededMenuBeforeAccessIsAnswered) {
  sim.calendarStore.holdAccessRequests();
  launch();
  EXPECT_TRUE(sim.application.isAccessory());
  EXPECT_TRUE(sim.notificationCenter.hasDelegate());
  EXPECT_EQ(title(), "Velto");
  EXPECT_EQ(statusState(), StatusState::brand);
  EXPECT_EQ(sim.statusItem.simulatedButton().toolTip(), "Velto Meetings Reminder");
  EXPECT_EQ(sim.statusItem.menu(), delegate->currentMenu());
  EXPECT_EQ(menuOutline(),
            (std::vector<std::string>{"[status] Velto Meetings Reminder", "---", "Refresh (r)", "Open Calendar (o)",
                                      "Reminder: 15 min before", "Request Calendar Permission", "---", "Quit (q)"}));
  EXPECT_EQ(sim.notificationCenter.authorizationRequestCount(), 1);
  EXPECT_EQ(sim.calendarStore.accessRequestCount(), 1);
  EXPECT_EQ(sim.calendarStore.queryCount(), 0);
  // The first timer is armed without access: five minutes.
  ASSERT_EQ(sim.runLoop.liveTimerCount(), 1u);
  EXPECT_EQ(sim.runLoop.liveTimers()[0].interval, 300s);
  EXPECT_EQ(sim.runLoop.liveTimers()[0].tolerance, 60s);
}

TEST_F(StartUp, RegistersTheLoginItemOnFirstLaunchOnlyEvenWhenThatFails) {
  for (bool failing : {false, true}) {
    SimulatedPlatform platform(sim.clock.now());
    platform.loginItem.setFailing(failing);
    for (int run = 0; run < 2; ++run) {
      std::make_shared<AppDelegate>(platform.platform())->applicationDidFinishLaunching();
    }
    EXPECT_EQ(platform.loginItem.attemptCount(), 1) << failing;
    EXPECT_EQ(platform.loginItem.isRegistered(), !failing);
    EXPECT_TRUE(platform.preferences.boolForKey("didConfigureOpenAtLogin"));
  }
}

TEST_F(StartUp, CallbacksDoNothingOnceTheDelegateIsGone) {
  sim.calendarStore.holdAccessRequests();
  launch();
  auto menu = delegate->currentMenu();
  delegate.reset();
  sim.calendarStore.answerPendingAccessRequests(true);
  sim.calendarStore.postChange();
  for (const MenuItem& item : menu->items()) {
    if (item.action) item.action();
  }
  sim.runLoop.runFor(3600s);
  EXPECT_EQ(sim.calendarStore.queryCount(), 0);
  EXPECT_FALSE(sim.application.isTerminated());
}

using AccessRequests = AppDelegateFixture;

TEST_F(AccessRequests, GrantLoadsMeetingsAndRefusalShowsTheAlertWithoutReading) {
  addMeeting("Standup", 3600);
  for (bool granted : {true, false}) {
    sim.calendarStore.answerAccessWith(granted);
    const int queries = sim.calendarStore.queryCount();
    launch();
    EXPECT_EQ(delegate->hasCalendarAccess(), granted);
    EXPECT_EQ(title(), granted ? "Velto Standup" : "Velto!");
    EXPECT_EQ(statusState(), granted ? StatusState::soon : StatusState::noAccess);
    EXPECT_EQ(menuOutline()[0], granted ? "[header]" : "[status] Velto Meetings Reminder");
    EXPECT_EQ(sim.calendarStore.queryCount(), queries + (granted ? 1 : 0));
  }
}

TEST_F(AccessRequests, RefusalAfterGrantKeepsOldMeetingsButShowsAccessNeeded) {
  addMeeting("Standup", 120);
  launch();
  ASSERT_EQ(meetingTitles().size(), 1u);
  const size_t remindersBefore = sim.notificationCenter.posted().size();

  sim.calendarStore.answerAccessWith(false);
  delegate->requestCalendarClicked();
  sim.runLoop.runUntilIdle();
  sim.preferences.setInteger("reminderMinutes", 1);
  sim.clock.advance(70s);  // Standup now inside a 1-minute lead, but without access
  refresh();

  EXPECT_FALSE(delegate->hasCalendarAccess());
  EXPECT_EQ(meetingTitles(), std::vector<std::string>{"Standup"});
  EXPECT_EQ(title(), "Velto!");
  EXPECT_EQ(menuOutline()[0], "[status] Velto Meetings Reminder");
  EXPECT_EQ(sim.notificationCenter.posted().size(), remindersBefore);
}

// A store that does not prompt is asked again by a change or a Refresh while refused: its
// calendar may have appeared since. One that prompts is left alone.
TEST_F(AccessRequests, ChangeOrRefreshAsksAgainWhileRefusedWhereAskingIsFree) {
  addMeeting("Standup", 3600);
  for (bool free : {true, false}) {
    for (bool byChange : {true, false}) {
      SCOPED_TRACE(testing::Message() << "free " << free << ", by change " << byChange);
      sim.calendarStore.setAskingAgainIsFree(free);
      sim.calendarStore.answerAccessWith(false);
      launch();
      ASSERT_EQ(title(), "Velto!");
      sim.calendarStore.answerAccessWith(true);  // the calendar came meanwhile
      const int requests = sim.calendarStore.accessRequestCount();
      if (byChange) {
        sim.calendarStore.postChange();
        sim.runLoop.runFor(1s);
      } else {
        refresh();
      }
      EXPECT_EQ(sim.calendarStore.accessRequestCount(), requests + (free ? 1 : 0));
      EXPECT_EQ(title(), free ? "Velto Standup" : "Velto!");
      refresh();  // with access (or where asking prompts) a refresh only reads
      EXPECT_EQ(sim.calendarStore.accessRequestCount(), requests + (free ? 1 : 0));
    }
  }
}

TEST_F(AccessRequests, AnswerFromAnotherThreadIsAppliedOnTheMainLoop) {
  addMeeting("Standup", 3600);
  sim.calendarStore.holdAccessRequests();
  launch();
  std::thread([this] { sim.calendarStore.answerPendingAccessRequests(true); }).join();
  EXPECT_FALSE(delegate->hasCalendarAccess());
  sim.runLoop.runUntilIdle();
  EXPECT_TRUE(delegate->hasCalendarAccess());
  EXPECT_EQ(meetingTitles(), std::vector<std::string>{"Standup"});
}

TEST_F(StartUp, JoinNextMeetingOpensOnlyTheNextMeetingsLink) {
  addEvent({.title = "Ended", .startsIn = -3600, .notes = "https://zoom.us/j/1"});
  addEvent({.title = "Next", .startsIn = 600, .notes = "https://zoom.us/j/2"});
  addEvent({.title = "No link", .startsIn = 900});
  launch();
  EXPECT_TRUE(delegate->joinNextMeeting());
  EXPECT_EQ(sim.workspace.openedURLs(), std::vector<std::string>{"https://zoom.us/j/2"});
  sim.clock.advance(2500s);  // "Next" is over
  EXPECT_FALSE(delegate->joinNextMeeting());
  EXPECT_EQ(sim.workspace.openedURLs().size(), 1u);
}

}  // namespace
}  // namespace CorlaMeetings::Testing
