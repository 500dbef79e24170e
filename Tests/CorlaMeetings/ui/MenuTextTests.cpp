#include "Support/AppDelegateFixture.h"
#include "ui/DisplayText.h"
#include "ui/MenuText.h"

namespace CorlaMeetings::Testing {
namespace {

using MenuText = AppDelegateFixture;

TEST_F(MenuText, WritesEveryItemOnOneLine) {
  auto zoom = addEvent({.title = "Design\nreview", .startsIn = 600, .notes = "https://zoom.us/j/1"});
  auto plain = addEvent({.title = "Lunch", .startsIn = 7200, .location = " Cafeteria "});
  launch();
  std::vector<std::string> lines = menuTextLines(*delegate->currentMenu());
  std::string zoomRange = timeRange(*zoom);
  std::string plainRange = timeRange(*plain);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "[header] Velto Meetings Reminder | Design review | 2 / 4d | In 10m \u2022 " + zoomRange,
                       "---",
                       "[section] Today",
                       "[meeting] " + zoomRange + " | Design review | Zoom | In 10m | Join https://zoom.us/j/1",
                       "[meeting] " + plainRange + " | Lunch | Cafeteria | In 2h 0m | Open",
                       "---",
                       "[command] Refresh (r)",
                       "[command] Open Calendar (o)",
                       "[command] Reminder: 15 min before",
                       "[command] Request Calendar Permission",
                       "---",
                       "[command] Quit (q)",
                   }));
}

TEST_F(MenuText, StatusCardAndMoreItem) {
  sim.calendarStore.answerAccessWith(false);
  launch();
  EXPECT_EQ(menuTextLines(*delegate->currentMenu())[0],
            "[status] Velto Meetings Reminder | Calendar access needed | Allow Calendar permission, then refresh.");
}

TEST(MenuTextSingleLine, ReplacesControlCharactersButKeepsText) {
  EXPECT_EQ(singleLine("a\nb\rc\td\x1b[31me\x7f"), "a b c d [31me ");
  EXPECT_EQ(singleLine("caf\u00e9 \u25CF \xC2\x85x"), "caf\u00e9 \u25CF  x");
}

}  // namespace
}  // namespace CorlaMeetings::Testing
