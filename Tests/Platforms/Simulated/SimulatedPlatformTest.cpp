#include "Simulated/SimulatedPlatform.h"

#include <gtest/gtest.h>

#include <optional>

namespace CorlaMeetings {
namespace {

TEST(SimulatedPlatform, AnswersAccessAndAuthorizationThroughItsOwnRunLoopAndClock) {
  const Instant start = Instant{std::chrono::hours{24 * 365 * 50}};
  SimulatedPlatform simulated(start);
  Platform& platform = simulated.platform();
  std::optional<bool> access, authorization;
  std::optional<Instant> fired;

  platform.calendarStore.requestAccess([&](bool granted) { access = granted; });
  platform.notificationCenter.requestAuthorization([&](bool granted) { authorization = granted; });
  auto work = platform.runLoop.runAfter(90, [&] { fired = platform.clock.now(); });
  simulated.runLoop.runFor(120);

  EXPECT_EQ(access, true);
  EXPECT_EQ(authorization, true);
  EXPECT_EQ(fired, addingSeconds(start, 90));
  EXPECT_EQ(platform.clock.now(), addingSeconds(start, 120));
}

}  // namespace
}  // namespace CorlaMeetings
