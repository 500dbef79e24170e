#include "Qt/PrintingNotificationCenter.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "Simulated/SimulatedClock.h"
#include "Simulated/SimulatedRunLoop.h"

namespace CorlaMeetings {
namespace {

class PrintingNotificationCenterTest : public testing::Test {
 protected:
  std::string printed(const NotificationRequest& request) {
    std::ostringstream out;
    PrintingNotificationCenter center(out, runLoop_);
    center.add(request);
    return out.str();
  }

  SimulatedClock clock_;
  SimulatedRunLoop runLoop_{clock_};
};

TEST_F(PrintingNotificationCenterTest, PrintsOneLinePerNotification) {
  struct Case {
    NotificationRequest request;
    std::string line;
  };
  const std::vector<Case> cases = {
      {{.identifier = "A1B2:C3-15",
        .title = "Meeting soon",
        .body = "Design review starts in 14m.",
        .userInfo = {{"joinURL", std::string("https://example.com/j/1")}}},
       "notification: A1B2:C3-15 | Meeting soon | Design review starts in 14m. | https://example.com/j/1\n"},
      {{.identifier = "Untitled meeting-5", .title = "Meeting soon", .body = "Untitled meeting starts in 5m."},
       "notification: Untitled meeting-5 | Meeting soon | Untitled meeting starts in 5m. | \n"},
      {{.identifier = "x-15", .title = "Meeting soon", .body = "b", .userInfo = {{"joinURL", std::int64_t{7}}}},
       "notification: x-15 | Meeting soon | b | \n"},
  };
  for (const Case& c : cases) EXPECT_EQ(printed(c.request), c.line);
}

TEST_F(PrintingNotificationCenterTest, ControlCharactersCannotBreakTheLineOrReachTheTerminal) {
  NotificationRequest request{.identifier = "id\n2",
                              .title = "Meeting soon",
                              .body = "Evil\r\n\x1b]0;owned\x07 \xc2\x9b" "31m café",
                              .userInfo = {{"joinURL", std::string("https://example.com/\x1b[2J")}}};

  EXPECT_EQ(printed(request), "notification: id 2 | Meeting soon | Evil   ]0;owned   31m café | https://example.com/ [2J\n");
}

TEST_F(PrintingNotificationCenterTest, AnswersAuthorizationWithYesLater) {
  std::ostringstream out;
  PrintingNotificationCenter center(out, runLoop_);
  std::vector<bool> answers;
  center.requestAuthorization([&](bool granted) { answers.push_back(granted); });
  EXPECT_TRUE(answers.empty());

  runLoop_.runUntilIdle();
  EXPECT_EQ(answers, std::vector<bool>{true});
}

}  // namespace
}  // namespace CorlaMeetings
