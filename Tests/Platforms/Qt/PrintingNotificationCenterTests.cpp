#include "Qt/PrintingNotificationCenter.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "Simulated/SimulatedClock.h"
#include "Simulated/SimulatedRunLoop.h"

namespace CorlaMeetings::Testing {
namespace {

// Invite texts are untrusted: they cannot add lines or send escape sequences to the terminal.
TEST(PrintingNotificationCenter, PrintsOneLineThatControlCharactersCannotBreakOrReachTheTerminalThrough) {
  SimulatedClock clock;
  SimulatedRunLoop runLoop(clock);
  std::ostringstream out;
  PrintingNotificationCenter(out, runLoop)
      .add({.identifier = "id\n2",
            .title = "Meeting soon",
            .body = "Evil\r\n\x1b]0;owned\x07 \xc2\x9b"
                    "31m café",
            .userInfo = {{"joinURL", std::string("https://example.com/\x1b[2J")}}});

  EXPECT_EQ(out.str(), "notification: id 2 | Meeting soon | Evil   ]0;owned   31m café | https://example.com/ [2J\n");
}

}  // namespace
}  // namespace CorlaMeetings::Testing
