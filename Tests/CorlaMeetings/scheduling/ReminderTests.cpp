#include <limits>

#include "Support/AppDelegateFixture.h"
#include "scheduling/Reminders.h"

namespace CorlaMeetings::Testing {
namespace {

using Reminders = AppDelegateFixture;

TEST_F(Reminders, DueExactlyAtTheLeadTimeAndNotASecondEarlier) {
  addEvent({.title = "Design review", .startsIn = 15 * 60, .identifier = "A1B2:C3",
            .notes = "https://zoom.us/j/42"});
  addMeeting("Retro", 15 * 60 + 1);
  launch();
  ASSERT_EQ(sim.notificationCenter.posted().size(), 1u);
  const NotificationRequest& request = sim.notificationCenter.posted()[0];
  EXPECT_EQ(request.identifier, "A1B2:C3-15");
  EXPECT_EQ(request.title, "Meeting soon");
  EXPECT_EQ(request.body, "Design review starts in 15m.");
  EXPECT_TRUE(request.defaultSound);
  EXPECT_EQ(request.userInfo, (UserInfo{{"joinURL", std::string("https://zoom.us/j/42")}}));
}

TEST_F(Reminders, ReminderIsPostedOncePerLeadTime) {
  addMeeting("Standup", 10 * 60);
  launch();
  for (int i = 0; i < 5; ++i) {
    sim.runLoop.runFor(60);
    refresh();
  }
  EXPECT_EQ(sim.notificationCenter.posted().size(), 1u);

  // A shorter lead time makes the meeting due once more.
  delegate->cycleReminderClicked();  // 15 (unset) -> 1
  delegate->cycleReminderClicked();  // -> 3
  sim.runLoop.runFor(120);  // exactly 3 min left: the window includes its far end
  refresh();
  ASSERT_EQ(sim.notificationCenter.posted().size(), 2u);
  EXPECT_EQ(sim.notificationCenter.posted()[1].identifier, "id-Standup-3");
  EXPECT_EQ(delegate->remindedKeys(), (std::set<std::string>{"id-Standup-15", "id-Standup-3"}));
}

TEST_F(Reminders, StartedMeetingsAreNeverReminded) {
  addMeeting("Running", -30);
  addMeeting("Starting now", 0);
  launch();
  EXPECT_TRUE(sim.notificationCenter.posted().empty());
}

TEST_F(Reminders, LastMinuteReadsStartsNowOnce) {
  addMeeting("Standup", 30);
  addEvent({.title = "", .startsIn = 5 * 60 + 10, .hasIdentifier = false});
  launch();
  ASSERT_EQ(sim.notificationCenter.posted().size(), 2u);
  EXPECT_EQ(sim.notificationCenter.posted()[0].body, "Standup starts now.");
  EXPECT_EQ(sim.notificationCenter.posted()[1].identifier, "Untitled meeting-15");
  EXPECT_EQ(sim.notificationCenter.posted()[1].body, "Untitled meeting starts in 5m.");
  EXPECT_TRUE(sim.notificationCenter.posted()[0].userInfo.empty());
}

TEST_F(Reminders, MeetingsSharingAnIdentityAreRemindedOnce) {
  addEvent({.title = "Sync", .startsIn = 300, .hasIdentifier = false});
  addEvent({.title = "Sync", .startsIn = 400, .hasIdentifier = false});
  addEvent({.title = "Other", .startsIn = 500, .identifier = "same"});
  addEvent({.title = "Another", .startsIn = 600, .identifier = "same"});
  launch();
  ASSERT_EQ(sim.notificationCenter.posted().size(), 2u);
  EXPECT_EQ(sim.notificationCenter.posted()[0].identifier, "Sync-15");
  EXPECT_EQ(sim.notificationCenter.posted()[1].body, "Other starts in 8m.");
}

TEST_F(Reminders, CancelledNamesAreNotCleanedInTheBody) {
  addMeeting("Canceled: Demo", 4 * 60 + 20);
  launch();
  EXPECT_EQ(sim.notificationCenter.posted()[0].body, "Canceled: Demo starts in 4m.");
}

TEST_F(Reminders, DroppedDeliveryIsNotRetried) {
  sim.notificationCenter.setDeliveryAllowed(false);
  addMeeting("Standup", 300);
  launch();
  refresh();
  EXPECT_EQ(sim.notificationCenter.posted().size(), 1u);
  EXPECT_TRUE(sim.notificationCenter.delivered().empty());
}

TEST_F(Reminders, OutOfRangeStoredLeadTimes) {
  addMeeting("Standup", 300);
  sim.preferences.setInteger("reminderMinutes", -5);
  launch();
  EXPECT_TRUE(sim.notificationCenter.posted().empty());

  // Beyond 64 bits the window saturates: every future meeting is due, not none.
  sim.preferences.setInteger("reminderMinutes", std::numeric_limits<std::int64_t>::max() / 2);
  refresh();
  ASSERT_EQ(sim.notificationCenter.posted().size(), 1u);
  EXPECT_EQ(sim.notificationCenter.posted()[0].identifier,
            "id-Standup-" + std::to_string(std::numeric_limits<std::int64_t>::max() / 2));
}

TEST(ReminderLeadTime, CyclesThroughTheMenuValues) {
  EXPECT_EQ(effectiveLeadMinutes(0), 15);
  EXPECT_EQ(effectiveLeadMinutes(7), 7);
  std::int64_t value = 0;
  std::vector<std::int64_t> seen;
  for (int i = 0; i < 6; ++i) seen.push_back(value = nextReminderMinutes(value));
  EXPECT_EQ(seen, (std::vector<std::int64_t>{1, 3, 5, 10, 15, 1}));
  EXPECT_EQ(nextReminderMinutes(2), 1);
  EXPECT_EQ(nextReminderMinutes(-4), 1);
}

TEST(ReminderLeadTime, WindowSaturatesInsteadOfWrapping) {
  constexpr auto max = std::numeric_limits<std::int64_t>::max();
  EXPECT_EQ(leadWindowSeconds(15), 900);
  EXPECT_GT(leadWindowSeconds(max / 59), 1e18);
  EXPECT_LT(leadWindowSeconds(-(max / 59)), -1e18);
}

TEST_F(Reminders, CycleRebuildsTheMenuWithoutRefreshing) {
  launch();
  int queries = sim.calendarStore.queryCount();
  delegate->cycleReminderClicked();
  EXPECT_EQ(sim.preferences.integerForKey("reminderMinutes"), 1);
  EXPECT_EQ(sim.calendarStore.queryCount(), queries);
  auto outline = menuOutline();
  EXPECT_NE(std::find(outline.begin(), outline.end(), "Reminder: 1 min before"), outline.end());
}

using NotificationClick = AppDelegateFixture;

TEST_F(NotificationClick, OpensTheReminderLinkOnEveryClick) {
  addEvent({.title = "Sync", .startsIn = 300, .identifier = "sync", .notes = "https://meet.google.com/abc-defg-hij"});
  launch();
  ASSERT_TRUE(sim.notificationCenter.click("sync-15"));
  ASSERT_TRUE(sim.notificationCenter.click("sync-15"));
  sim.runLoop.runUntilIdle();
  EXPECT_EQ(sim.workspace.openedURLs(), (std::vector<std::string>{"https://meet.google.com/abc-defg-hij",
                                                                   "https://meet.google.com/abc-defg-hij"}));
  EXPECT_EQ(sim.notificationCenter.completionCount(), 2);
}

TEST_F(NotificationClick, EveryOtherUserInformationShapeOpensNothing) {
  launch();
  std::vector<UserInfo> shapes = {
      {},
      {{"joinURL", std::int64_t{42}}},
      {{"joinURL", 3.5}},
      {{"joinURL", true}},
      {{"joinURL", std::string("not a url")}},
      {{"joinURL", std::string("")}},
      {{"joinURL", std::string("javascript:alert(1)")}},
      {{"joinURL", std::string("file:///usr/bin/xterm")}},
      {{"joinUrl", std::string("https://zoom.us/j/1")}},
  };
  for (const UserInfo& info : shapes) sim.notificationCenter.deliverResponse({"x", info});
  sim.runLoop.runUntilIdle();
  EXPECT_TRUE(sim.workspace.openedURLs().empty());
  EXPECT_TRUE(sim.workspace.refusedURLs().empty());
  EXPECT_EQ(sim.notificationCenter.completionCount(), static_cast<int>(shapes.size()));
}

TEST_F(NotificationClick, ClickChangesNoState) {
  addMeeting("Sync", 300);
  launch();
  auto keys = delegate->remindedKeys();
  auto menu = menuOutline();
  sim.notificationCenter.deliverResponse({"x", {{"joinURL", std::string("https://zoom.us/j/9")}}});
  sim.runLoop.runUntilIdle();
  EXPECT_EQ(sim.workspace.openedURLs(), std::vector<std::string>{"https://zoom.us/j/9"});
  EXPECT_EQ(delegate->remindedKeys(), keys);
  EXPECT_EQ(menuOutline(), menu);
}

}  // namespace
}  // namespace CorlaMeetings::Testing
