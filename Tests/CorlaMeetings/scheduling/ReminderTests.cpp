#include <limits>

#include "Support/AppDelegateFixture.h"

namespace CorlaMeetings::Testing {
namespace {

using Reminders = AppDelegateFixture;

TEST_F(Reminders, DueFromTheLeadTimeInclusiveUntilTheStartUnderTheMeetingsKey) {
  addEvent({.title = "Design review", .startsIn = 15 * 60, .identifier = "A1B2:C3", .notes = "https://zoom.us/j/42"});
  addMeeting("Retro", 15 * 60 + 1);
  addMeeting("Starting now", 0);
  addMeeting("Running", -30);
  // Without an identifier the key is the title, else "Untitled meeting".
  addEvent({.title = "Sync", .startsIn = 30, .identifier = std::nullopt});
  addEvent({.title = "", .startsIn = 5 * 60 + 10, .identifier = std::nullopt});
  addEvent({.title = "Sync", .startsIn = 400, .identifier = std::nullopt});  // the first one's key
  addEvent({.title = "Canceled: Demo", .startsIn = 500, .identifier = "same"});
  addEvent({.title = "Another", .startsIn = 600, .identifier = "same"});
  launch();
  std::vector<std::pair<std::string, std::string>> posted;
  for (const auto& request : sim.notificationCenter.posted()) posted.emplace_back(request.identifier, request.body);
  EXPECT_EQ(posted,
            (std::vector<std::pair<std::string, std::string>>{{"Sync-15", "Sync starts now."},
                                                              {"Untitled meeting-15", "Untitled meeting starts in 5m."},
                                                              {"same-15", "Canceled: Demo starts in 8m."},
                                                              {"A1B2:C3-15", "Design review starts in 15m."}}));
  const NotificationRequest& request = sim.notificationCenter.posted().back();
  EXPECT_EQ(request.title, "Meeting soon");
  EXPECT_TRUE(request.defaultSound);
  EXPECT_EQ(request.userInfo, (UserInfo{{"joinURL", std::string("https://zoom.us/j/42")}}));
  EXPECT_TRUE(sim.notificationCenter.posted()[0].userInfo.empty());
}

TEST_F(Reminders, PostedOncePerLeadTimeAndAgainAfterTheLeadTimeChanges) {
  addMeeting("Standup", 10 * 60);
  launch();
  for (int i = 0; i < 5; ++i) {
    sim.runLoop.runFor(60s);
    refresh();
  }
  EXPECT_EQ(sim.notificationCenter.posted().size(), 1u);

  delegate->cycleReminderClicked();  // 15 (unset) -> 1
  delegate->cycleReminderClicked();  // -> 3
  sim.runLoop.runFor(120s);          // exactly 3 min left
  refresh();
  ASSERT_EQ(sim.notificationCenter.posted().size(), 2u);
  EXPECT_EQ(delegate->remindedKeys(), (std::set<std::string>{"id-Standup-15", "id-Standup-3"}));
}

TEST_F(Reminders, NegativeLeadTimeRemindsNothingAndAHugeOneSaturates) {
  addMeeting("Standup", 300);
  sim.preferences.setInteger("reminderMinutes", -5);
  launch();
  EXPECT_TRUE(sim.notificationCenter.posted().empty());

  // Minutes × 60 beyond 64 bits must not wrap into an empty window.
  const std::int64_t huge = std::numeric_limits<std::int64_t>::max() / 2;
  sim.preferences.setInteger("reminderMinutes", huge);
  refresh();
  ASSERT_EQ(sim.notificationCenter.posted().size(), 1u);
  EXPECT_EQ(sim.notificationCenter.posted()[0].identifier, "id-Standup-" + std::to_string(huge));
}

TEST_F(Reminders, MenuCommandCyclesTheLeadTimeWithoutRefreshing) {
  launch();
  const int queries = sim.calendarStore.queryCount();
  std::vector<std::int64_t> stored;
  for (int i = 0; i < 6; ++i) {
    delegate->cycleReminderClicked();
    stored.push_back(sim.preferences.integerForKey("reminderMinutes"));
  }
  EXPECT_EQ(stored, (std::vector<std::int64_t>{1, 3, 5, 10, 15, 1}));
  EXPECT_EQ(menuOutline()[6], "Reminder: 1 min before");
  EXPECT_EQ(sim.calendarStore.queryCount(), queries);
  sim.preferences.setInteger("reminderMinutes", 7);  // off the cycle
  delegate->cycleReminderClicked();
  EXPECT_EQ(sim.preferences.integerForKey("reminderMinutes"), 1);
}

using NotificationClick = AppDelegateFixture;

TEST_F(NotificationClick, OpensOnlyAWebLinkGivenAsTextOnEveryClick) {
  const std::string link = "https://meet.google.com/abc-defg-hij";
  addEvent({.title = "Sync", .startsIn = 300, .identifier = "sync", .notes = link});
  launch();
  ASSERT_TRUE(sim.notificationCenter.click("sync-15"));
  ASSERT_TRUE(sim.notificationCenter.click("sync-15"));
  const std::vector<UserInfo> ignored = {
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
  for (const UserInfo& info : ignored) sim.notificationCenter.deliverResponse({"x", info});
  sim.runLoop.runUntilIdle();
  EXPECT_EQ(sim.workspace.openedURLs(), (std::vector<std::string>{link, link}));
  EXPECT_TRUE(sim.workspace.refusedURLs().empty());
  EXPECT_EQ(sim.notificationCenter.completionCount(), static_cast<int>(2 + ignored.size()));
}

}  // namespace
}  // namespace CorlaMeetings::Testing
