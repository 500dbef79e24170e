#include "Support/AppDelegateFixture.h"
#include "ui/MeetingCardView.h"
#include "ui/TimelineView.h"

namespace CorlaMeetings::Testing {
namespace {

using MenuComposition = AppDelegateFixture;

std::vector<std::string> commandBlock(const std::string& reminder) {
  return {"---", "Refresh (r)", "Open Calendar (o)", reminder, "Request Calendar Permission", "---", "Quit (q)"};
}

std::vector<std::string> joined(std::vector<std::string> head, const std::vector<std::string>& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

TEST_F(MenuComposition, SevenMeetingsTodayShowFiveCardsAndTheMoreItem) {
  for (int i = 1; i <= 7; ++i) addMeeting("M" + std::to_string(i), i * 600);
  launch();
  EXPECT_EQ(menuOutline(), joined({"[header]", "---", "[section] Today", "[card] M1", "[card] M2", "[card] M3",
                                   "[card] M4", "[card] M5", "[more] + 2 more in the next 4 days"},
                                  commandBlock("Reminder: 15 min before")));
}

TEST_F(MenuComposition, OnlyFourSectionsAreShown) {
  // Five sections: yesterday's overnight meeting plus today and the three days after it.
  addMeeting("Overnight", -10 * 3600, 3 * 3600);
  for (int day = 0; day < 4; ++day) addMeeting("Day " + std::to_string(day), day * 86400.0 + 3600);
  launch();
  EXPECT_EQ(menuOutline(),
            joined({"[header]", "---", "[section] Sun, Dec 6", "[card] Overnight", "[section] Today", "[card] Day 0",
                    "[section] Tomorrow", "[card] Day 1", "[section] Wed, Dec 9", "[card] Day 2",
                    "[more] + 1 more in the next 4 days"},
                   commandBlock("Reminder: 15 min before")));
}

TEST_F(MenuComposition, TwentyCardsFillTheMenuWithoutAMoreItem) {
  for (int day = 0; day < 4; ++day) {
    for (int i = 0; i < 5; ++i) addMeeting("D" + std::to_string(day) + "." + std::to_string(i), day * 86400.0 + 3600 + i * 600);
  }
  launch();
  auto outline = menuOutline();
  EXPECT_EQ(std::count_if(outline.begin(), outline.end(), [](auto& l) { return l.starts_with("[card]"); }), 20);
  EXPECT_EQ(std::count_if(outline.begin(), outline.end(), [](auto& l) { return l.starts_with("[more]"); }), 0);
}

TEST_F(MenuComposition, SectionTitlesAreSemiboldSecondaryAndInert) {
  addMeeting("Standup", 600);
  launch();
  const MenuItem& section = menuItems()[2];
  ASSERT_EQ(section.kind, MenuItem::Kind::sectionTitle);
  ASSERT_TRUE(section.attributes);
  EXPECT_EQ(section.attributes->font, Font::system(12, FontWeight::semibold));
  EXPECT_EQ(section.attributes->foregroundColor, secondaryLabelColor());
  EXPECT_TRUE(section.enabled);
  EXPECT_FALSE(section.action);
}

TEST_F(MenuComposition, ReminderCommandShowsTheStoredLeadTime) {
  sim.preferences.setInteger("reminderMinutes", 3);
  launch();
  EXPECT_EQ(menuOutline(), joined({"[header]", "---", "[status] No meetings"}, commandBlock("Reminder: 3 min before")));
}

TEST_F(MenuComposition, CommandsRunTheirActions) {
  launch();
  int queries = sim.calendarStore.queryCount();
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

  auto oldMenuCard = zoom;
  delegate.reset();
  oldMenuCard->joinClicked();  // the delegate is gone: nothing happens
  EXPECT_EQ(sim.workspace.openedURLs().size(), 1u);
}

TEST_F(MenuComposition, HeaderDescribesTheNextMeeting) {
  addMeeting("Ended", -7200, 1800);
  addMeeting("   Cancelled: Design review and quarterly budget planning\n", 3660, 1800);
  launch();
  const View& header = *menuItems()[0].view;
  ASSERT_EQ(header.frame(), (Rect{0, 0, 410, 124}));
  ASSERT_EQ(header.subviews().size(), 5u);
  auto label = [&](int i) -> const Label& { return static_cast<const Label&>(*header.subviews()[i]); };

  EXPECT_EQ(label(0).text, "Velto Meetings Reminder");
  EXPECT_EQ(label(0).frame(), (Rect{18, 101, 220, 16}));
  EXPECT_EQ(label(0).font, Font::system(11, FontWeight::semibold));
  EXPECT_EQ(label(0).textColor, secondaryLabelColor());

  EXPECT_EQ(label(1).text, "Design review and quarterly b\u2026");
  EXPECT_EQ(label(1).frame(), (Rect{18, 66, 285, 31}));
  EXPECT_EQ(label(1).font, Font::system(24, FontWeight::bold));
  EXPECT_EQ(label(1).lineBreakMode, LineBreakMode::truncateTail);

  EXPECT_EQ(label(2).text, "2 / 4d");
  EXPECT_EQ(label(2).frame(), (Rect{280, 91, 92, 20}));
  EXPECT_EQ(label(2).textColor, veltoBlue());
  EXPECT_EQ(label(2).alignment, TextAlignment::right);

  EXPECT_TRUE(label(3).text.starts_with("In 1h 1m \u2022 "));
  EXPECT_EQ(label(3).frame(), (Rect{18, 42, 354, 18}));
  EXPECT_EQ(label(3).font, Font::system(12, FontWeight::regular));

  const auto* timeline = dynamic_cast<const TimelineView*>(header.subviews()[4].get());
  ASSERT_TRUE(timeline);
  EXPECT_EQ(timeline->frame(), (Rect{18, 14, 354, 16}));
  EXPECT_EQ(timeline->meetings.size(), 2u);
}

TEST_F(MenuComposition, HeaderWithNothingAheadReadsAllClear) {
  addMeeting("Ended", -3600, 1800);
  launch();
  const View& header = *menuItems()[0].view;
  EXPECT_EQ(static_cast<const Label&>(*header.subviews()[1]).text, "All clear");
  EXPECT_EQ(static_cast<const Label&>(*header.subviews()[2]).text, "1 / 4d");
  EXPECT_EQ(static_cast<const Label&>(*header.subviews()[3]).text, "Next 4 days are clear");
}

TEST_F(MenuComposition, StatusCardLayout) {
  sim.calendarStore.answerAccessWith(false);
  launch();
  const View& card = *menuItems()[0].view;
  EXPECT_EQ(card.frame(), (Rect{0, 0, 390, 88}));
  struct Expected {
    std::string text;
    Rect frame;
    Font font;
    Color color;
  };
  std::vector<Expected> expected = {
      {"Velto Meetings Reminder", {18, 58, 340, 24}, Font::system(17, FontWeight::bold), labelColor()},
      {"Calendar access needed", {18, 35, 340, 18}, Font::system(13, FontWeight::semibold), labelColor()},
      {"Allow Calendar permission, then refresh.", {18, 14, 340, 18}, Font::system(12), secondaryLabelColor()},
  };
  ASSERT_EQ(card.subviews().size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const auto& label = static_cast<const Label&>(*card.subviews()[i]);
    EXPECT_EQ(label.text, expected[i].text);
    EXPECT_EQ(label.frame(), expected[i].frame);
    EXPECT_EQ(label.font, expected[i].font);
    EXPECT_EQ(label.textColor, expected[i].color);
    EXPECT_EQ(label.lineBreakMode, LineBreakMode::standard);
  }
}

}  // namespace
}  // namespace CorlaMeetings::Testing
