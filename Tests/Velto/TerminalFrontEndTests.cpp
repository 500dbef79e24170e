#include <gtest/gtest.h>

#include <sstream>

#include "AccessAnswerRelay.h"
#include "Qt/PrintingNotificationCenter.h"
#include "Simulated/SimulatedPlatform.h"
#include "StatusBarLine.h"
#include "Support/LocalTime.h"
#include "TerminalFrontEnd.h"
#include "app/AppDelegate.h"

namespace CorlaMeetings::Testing {
namespace {

// Output whose reader has gone: every write fails. Counts the attempts.
class GoneReaderBuffer : public std::streambuf {
 public:
  int attempts = 0;

 protected:
  int_type overflow(int_type) override {
    ++attempts;
    return traits_type::eof();
  }
};

// A launched application whose status item is the terminal's.
class TerminalFrontEndTest : public testing::Test {
 protected:
  // `redraw`: in place, with reminders printed as the program prints them.
  void start(TerminalFrontEnd::Mode mode, bool json = false, bool redraw = false) {
    frontEnd = std::make_unique<TerminalFrontEnd>(mode, json, statusItem, sim.runLoop, sim.application, *output);
    if (redraw) frontEnd->redrawInPlace();
    printedReminders = std::make_unique<PrintingNotificationCenter>(frontEnd->reminderOutput(), sim.runLoop);
    relay = std::make_unique<AccessAnswerRelay>(sim.calendarStore, sim.runLoop, [this] { frontEnd->accessAnswered(); });
    NotificationCenter& reminders =
        redraw ? static_cast<NotificationCenter&>(*printedReminders) : sim.notificationCenter;
    platform = std::make_unique<Platform>(Platform{sim.application, sim.clock, sim.runLoop, statusItem, *relay,
                                                   reminders, sim.preferences, sim.workspace, sim.loginItem});
    delegate = std::make_shared<AppDelegate>(*platform);
    delegate->applicationDidFinishLaunching();
  }

  void addMeeting(const std::string& title, Duration startsIn, Duration duration = 30min) {
    CalendarEvent event;
    event.title = title;
    event.startDate = sim.clock.now() + startsIn;
    event.endDate = event.startDate + duration;
    sim.calendarStore.addEvent(event);
  }

  // Writes to a reader that has gone: the first write ends the program, and the next
  // refresh, which would show something new, writes nothing.
  void expectAFailedWriteEndsTheProgram(TerminalFrontEnd::Mode mode) {
    GoneReaderBuffer buffer;
    std::ostream gone(&buffer);
    output = &gone;
    addMeeting("Standup", 3h + 2min, 10min);
    start(mode);
    sim.runLoop.runUntilIdle();
    EXPECT_TRUE(sim.application.isTerminated());
    const int attempts = buffer.attempts;
    EXPECT_GT(attempts, 0);
    delegate->refreshClicked();
    sim.runLoop.runFor(300s);  // under three hours away: a new title
    EXPECT_EQ(buffer.attempts, attempts);
    delegate.reset();
  }

  std::vector<std::string> lines() const {
    std::vector<std::string> result;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
  }

  SimulatedPlatform sim{localTime(2026, 12, 7, 8, 0)};
  TerminalStatusItem statusItem;
  std::ostringstream out;
  std::ostream* output = &out;
  std::unique_ptr<TerminalFrontEnd> frontEnd;
  std::unique_ptr<PrintingNotificationCenter> printedReminders;
  std::unique_ptr<AccessAnswerRelay> relay;
  std::unique_ptr<Platform> platform;
  std::shared_ptr<AppDelegate> delegate;
};

TEST_F(TerminalFrontEndTest, OncePrintsTheLoadedViewAndQuits) {
  addMeeting("Standup", 10min);
  sim.calendarStore.holdAccessRequests();
  start(TerminalFrontEnd::Mode::once);
  sim.runLoop.runUntilIdle();
  EXPECT_EQ(out.str(), "");  // nothing before the calendar answers

  sim.calendarStore.answerPendingAccessRequests(true);
  sim.runLoop.runUntilIdle();
  std::vector<std::string> printed = lines();
  ASSERT_GE(printed.size(), 4u);
  EXPECT_EQ(printed[0], "title: Velto Standup");
  EXPECT_EQ(printed[1], "tooltip: Velto Meetings Reminder");
  EXPECT_TRUE(printed[2].starts_with("[header] Velto Meetings Reminder | Standup | 1 / 4d | In 10m"));
  EXPECT_EQ(printed.back(), "[command] Quit (q)");
  EXPECT_TRUE(sim.application.isTerminated());
}

TEST_F(TerminalFrontEndTest, StatusLinePrintsOnlyChanges) {
  addMeeting("Standup", 3h + 2min, 10min);
  start(TerminalFrontEnd::Mode::statusLine);
  sim.runLoop.runUntilIdle();
  sim.runLoop.runFor(300s);  // the five-minute tick: now under three hours away
  sim.runLoop.runFor(60s);   // a quiet refresh: the same line is not printed again
  EXPECT_EQ(lines(), (std::vector<std::string>{"Velto", "Velto Standup"}));
}

TEST_F(TerminalFrontEndTest, WaybarLinesCarryTooltipAndClass) {
  addMeeting("Standup", -1min, 10min);
  start(TerminalFrontEnd::Mode::statusLine, /*json=*/true);
  sim.runLoop.runUntilIdle();
  ASSERT_EQ(lines().size(), 1u);
  EXPECT_TRUE(
      lines()[0].starts_with("{\"class\":\"live\",\"text\":\"\u25CF Standup\",\"tooltip\":\"Standup\\nLive now"))
      << lines()[0];
}

TEST_F(TerminalFrontEndTest, AFailedStatusLineWriteEndsTheProgram) {
  expectAFailedWriteEndsTheProgram(TerminalFrontEnd::Mode::statusLine);
}

TEST_F(TerminalFrontEndTest, AFailedWriteEndsTheFollowingViewToo) {
  expectAFailedWriteEndsTheProgram(TerminalFrontEnd::Mode::follow);
}

TEST_F(TerminalFrontEndTest, KeysRunTheCommandsTheyAreTheKeysOf) {
  start(TerminalFrontEnd::Mode::follow);
  sim.runLoop.runUntilIdle();
  const struct {
    char key;
    int queries, calendarOpenings;
    bool quits;
  } cases[] = {{'x', 0, 0, false}, {'j', 0, 0, false}, {'r', 1, 0, false},
               {'R', 1, 0, false}, {'o', 0, 1, false}, {'q', 0, 0, true}};
  for (const auto& [key, queries, calendarOpenings, quits] : cases) {
    const int queriesBefore = sim.calendarStore.queryCount();
    const int openingsBefore = sim.workspace.calendarApplicationOpenCount();
    frontEnd->keyPressed(key);
    sim.runLoop.runUntilIdle();
    EXPECT_EQ(sim.calendarStore.queryCount() - queriesBefore, queries) << key;
    EXPECT_EQ(sim.workspace.calendarApplicationOpenCount() - openingsBefore, calendarOpenings) << key;
    EXPECT_EQ(sim.application.isTerminated(), quits) << key;
  }
}

// On a terminal each view replaces the last, and the reminders stay in sight beneath it.
TEST_F(TerminalFrontEndTest, RedrawnInPlaceWithRemindersKeptBeneath) {
  addMeeting("Standup", 10min);
  start(TerminalFrontEnd::Mode::follow, false, /*redraw=*/true);
  sim.runLoop.runUntilIdle();
  frontEnd->keyPressed('r');
  sim.runLoop.runUntilIdle();

  const std::string clear = "\x1b[H\x1b[K\x1b[B\x1b[J\x1b[H";
  const std::string printed = out.str();
  ASSERT_TRUE(printed.starts_with(clear));
  const std::string lastView = printed.substr(printed.rfind(clear) + clear.size());
  EXPECT_EQ(printed.size(), 2 * lastView.size() + 2 * clear.size());  // two views alike
  EXPECT_TRUE(lastView.starts_with("title: Velto Standup\n"));
  EXPECT_TRUE(
      lastView.ends_with("[command] Quit (q)\n\nnotification: Standup-15 | Meeting soon | "
                         "Standup starts in 10m. | \n"))
      << lastView;
}

TEST(StatusBarLine, ClassFollowsTheTitlesState) {
  Menu menu;
  EXPECT_EQ(statusBarState({"Velto!", StatusState::noAccess}, menu).className, "alert");
  EXPECT_EQ(statusBarState({"Velto Velto!", StatusState::soon}, menu).className, "soon");  // a meeting named so
  EXPECT_EQ(statusBarState({"Velto", StatusState::brand}, menu).className, "idle");
  EXPECT_EQ(statusBarLine({"Velto \"x\"\n", "a", "soon"}, true),
            "{\"class\":\"soon\",\"text\":\"Velto \\\"x\\\"\\n\",\"tooltip\":\"a\"}");
}

}  // namespace
}  // namespace CorlaMeetings::Testing
