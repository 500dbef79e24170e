#include "CorlaMeetings/ui/ViewTestSupport.h"
#include "Support/AppDelegateFixture.h"
#include "meetings/PlainText.h"
#include "ui/DisplayText.h"
#include "ui/MeetingCardView.h"
#include "ui/MenuText.h"
#include "ui/TimelineView.h"

namespace CorlaMeetings::Testing {
namespace {

using MenuBarTitle = AppDelegateFixture;

TEST_F(MenuBarTitle, NamesTheNextMeetingWithinThreeHours) {
  const struct {
    std::string name;
    double startsIn;
    std::string expected;
    StatusState state = StatusState::soon;
    // clang-format off
  } cases[] = {
      {"Standup", 10800, "Velto Standup"},
      {"Standup", 10801, "Velto", StatusState::brand},
      {"Canceled: Weekly sync", -60, "\u25CF Weekly sync", StatusState::live},
      {"canceled: Demo", 600, "Velto canceled: Demo"},
      {"Cancelled:", 600, "Velto "},
      {"", 600, "Velto Untitled meeting"},
      {"Velto!", 600, "Velto Velto!"},
      {"Eighteen chars!!!!", 600, "Velto Eighteen chars!!!!"},
      {"Nineteen chars!!!!!", 600, "Velto Nineteen chars!!!\u2026"},
      {"\U0001F468\u200D\U0001F469\u200D\U0001F467 family call 1234", 600,
       "Velto \U0001F468\u200D\U0001F469\u200D\U0001F467 family call 1234"},
  };
  // clang-format on
  launch();
  for (const auto& c : cases) {
    sim.calendarStore.removeAllEvents();
    addMeeting("Ended", -7200);  // never the one named
    addMeeting(c.name, c.startsIn);
    refresh();
    EXPECT_EQ(title(), c.expected) << c.name;
    EXPECT_EQ(statusState(), c.state) << c.name;
  }
}

using MenuComposition = AppDelegateFixture;

std::vector<std::string> withCommands(std::vector<std::string> head, std::string reminder = "Reminder: 15 min before") {
  head.insert(head.end(), {"---", "Refresh (r)", "Open Calendar (o)", std::move(reminder),
                           "Request Calendar Permission", "---", "Quit (q)"});
  return head;
}

TEST_F(MenuComposition, ShowsFiveCardsADayThenTheMoreItem) {
  for (int i = 1; i <= 7; ++i) addMeeting("M" + std::to_string(i), i * 600);
  launch();
  EXPECT_EQ(menuOutline(), withCommands({"[header]", "---", "[section] Today", "[card] M1", "[card] M2", "[card] M3",
                                         "[card] M4", "[card] M5", "[more] + 2 more in the next 4 days"}));
  const MenuItem& section = menuItems()[2];
  ASSERT_TRUE(section.attributes);
  EXPECT_EQ(section.attributes->font, Font::system(12, FontWeight::semibold));
  EXPECT_EQ(section.attributes->foregroundColor, secondaryLabelColor());
  EXPECT_FALSE(section.action);
}

// The times just before and after local midnight are on the neighbouring day in UTC in one
// of the two test zones.
TEST_F(MenuComposition, ShowsFourSectionsHeadedByLocalDay) {
  addMeeting("Overnight", -10 * 3600, 3 * 3600);   // from 22:00 yesterday
  addMeeting("Late tonight", 15.5 * 3600);         // 23:30
  addMeeting("Just after midnight", 16.5 * 3600);  // 00:30 tomorrow
  addMeeting("Wednesday", 40.5 * 3600);            // 00:30
  addMeeting("Thursday", (3 * 24 + 1) * 3600.0);   // a fifth section: not shown
  launch();
  EXPECT_EQ(menuOutline(),
            withCommands({"[header]", "---", "[section] Sun, Dec 6", "[card] Overnight", "[section] Today",
                          "[card] Late tonight", "[section] Tomorrow", "[card] Just after midnight",
                          "[section] Wed, Dec 9", "[card] Wednesday", "[more] + 1 more in the next 4 days"}));
}

TEST_F(MenuComposition, EmptyCalendarShowsNoMeetingsCardAndTheStoredLeadTime) {
  sim.preferences.setInteger("reminderMinutes", 3);
  launch();
  EXPECT_EQ(menuOutline(), withCommands({"[header]", "---", "[status] No meetings"}, "Reminder: 3 min before"));
  EXPECT_EQ(menuTextLines(*delegate->currentMenu())[0],
            "[header] Velto Meetings Reminder | All clear | 0 / 4d | Next 4 days are clear");
}

TEST_F(MenuComposition, CommandsRunTheirActions) {
  launch();
  const int queries = sim.calendarStore.queryCount();
  for (const MenuItem& item : menuItems()) {
    if (item.kind != MenuItem::Kind::command) continue;
    item.action();
    sim.runLoop.runUntilIdle();
  }
  EXPECT_EQ(sim.calendarStore.queryCount(), queries + 2);  // Refresh, and the permission request's answer
  EXPECT_EQ(sim.workspace.calendarApplicationOpenCount(), 1);
  EXPECT_EQ(sim.preferences.integerForKey("reminderMinutes"), 1);
  EXPECT_TRUE(sim.application.isTerminated());
}

TEST_F(MenuComposition, JoinButtonsOpenOnlyTheirOwnWebLinks) {
  addEvent({.title = "Zoom call", .startsIn = 600, .notes = "https://acme.zoom.us/j/1"});
  addEvent({.title = "No link", .startsIn = 700});
  launch();
  auto zoom = std::dynamic_pointer_cast<MeetingCardView>(menuItems()[3].view);
  auto none = std::dynamic_pointer_cast<MeetingCardView>(menuItems()[4].view);
  ASSERT_TRUE(zoom && none);
  zoom->joinButton().press();
  none->joinClicked();
  EXPECT_EQ(sim.workspace.openedURLs(), std::vector<std::string>{"https://acme.zoom.us/j/1"});
  delegate.reset();
  zoom->joinClicked();  // the delegate is gone: nothing happens
  EXPECT_EQ(sim.workspace.openedURLs().size(), 1u);
}

// Frames and fonts are pinned once, by the layout snapshot; here, what the views say.
TEST_F(MenuComposition, HeaderDescribesTheNextMeeting) {
  addMeeting("Ended", -7200);
  auto next = addMeeting("   Cancelled: Design review and quarterly budget planning\n", 3660);
  launch();
  EXPECT_EQ(menuTextLines(*delegate->currentMenu()).at(0),
            "[header] Velto Meetings Reminder | Design review and quarterly b\u2026 | 2 / 4d | In 1h 1m \u2022 " +
                timeRange(*next));
  const auto* timeline = dynamic_cast<const TimelineView*>(menuItems()[0].view->subviews().at(4).get());
  ASSERT_TRUE(timeline);
  EXPECT_EQ(timeline->meetings.size(), 2u);
}

TEST_F(MenuComposition, StatusCardAsksForAccess) {
  sim.calendarStore.answerAccessWith(false);
  launch();
  EXPECT_EQ(menuTextLines(*delegate->currentMenu()).at(0),
            "[status] Velto Meetings Reminder | Calendar access needed | Allow Calendar permission, then refresh.");
}

using MenuText = AppDelegateFixture;

TEST_F(MenuText, WritesEveryItemOnOneLine) {
  auto zoom = addEvent({.title = "Design\nreview", .startsIn = 600, .notes = "https://zoom.us/j/1"});
  auto plain = addEvent({.title = "Lunch", .startsIn = 7200, .location = " Cafeteria "});
  launch();
  const std::string zoomRange = timeRange(*zoom), plainRange = timeRange(*plain);
  const auto lines = menuTextLines(*delegate->currentMenu());
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(
      std::vector(lines.begin(), lines.begin() + 7),
      (std::vector<std::string>{
          "[header] Velto Meetings Reminder | Design review | 2 / 4d | In 10m \u2022 " + zoomRange, "---",
          "[section] Today", "[meeting] " + zoomRange + " | Design review | Zoom | In 10m | Join https://zoom.us/j/1",
          "[meeting] " + plainRange + " | Lunch | Cafeteria | In 2h 0m | Open", "---", "[command] Refresh (r)"}));
  EXPECT_EQ(singleLine("a\nb\rc\td\x1b[31me\x7f"), "a b c d [31me ");
  EXPECT_EQ(singleLine("caf\u00e9 \u25CF \xC2\x85x"), "caf\u00e9 \u25CF  x");
}

}  // namespace
}  // namespace CorlaMeetings::Testing
