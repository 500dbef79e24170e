#include "Support/AppDelegateFixture.h"

namespace CorlaMeetings::Testing {
namespace {

using MenuBarTitle = AppDelegateFixture;

TEST_F(MenuBarTitle, NamesTheNextMeetingWithinThreeHours) {
  struct Case {
    std::string name;
    double startsIn;
    std::string expected;
  };
  std::vector<Case> cases = {
      {"Standup", 10800, "Velto Standup"},
      {"Standup", 10801, "Velto"},
      {"Canceled: Weekly sync", -60, "\u25CF Weekly sync"},
      {"canceled: Demo", 600, "Velto canceled: Demo"},
      {"Cancelled:", 600, "Velto "},
      {"Cancelled:", -60, "\u25CF "},
      {"", 600, "Velto Untitled meeting"},
      {"Quarterly planning and budget review", 600, "Velto Quarterly plannin\u2026"},
      {"Weekly team sync and notes", 600, "Velto Weekly team sync \u2026"},
      {"Eighteen chars!!!!", 600, "Velto Eighteen chars!!!!"},
      {"Nineteen chars!!!!!", 600, "Velto Nineteen chars!!!\u2026"},
      {"\U0001F468\u200D\U0001F469\u200D\U0001F467 family call 1234", 600,
       "Velto \U0001F468\u200D\U0001F469\u200D\U0001F467 family call 1234"},
  };
  launch();
  for (const Case& c : cases) {
    sim.calendarStore.removeAllEvents();
    addMeeting(c.name, c.startsIn);
    refresh();
    EXPECT_EQ(title(), c.expected) << c.name;
  }
}

TEST_F(MenuBarTitle, RunningMeetingBeatsALaterOneAndEndedOnesAreSkipped) {
  addMeeting("Ended", -7200, 1800);
  addMeeting("Running", -600, 3600);
  addMeeting("Next", 300);
  launch();
  EXPECT_EQ(title(), "\u25CF Running");
}

TEST_F(MenuBarTitle, StaysUntilTheNextRefresh) {
  addMeeting("Standup", 60, 60);
  launch();
  EXPECT_EQ(title(), "Velto Standup");
  sim.clock.advance(200);  // over, but nothing refreshed yet
  EXPECT_EQ(title(), "Velto Standup");
  refresh();
  EXPECT_EQ(title(), "Velto");
}

}  // namespace
}  // namespace CorlaMeetings::Testing
