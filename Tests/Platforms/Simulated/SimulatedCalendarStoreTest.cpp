#include "Simulated/SimulatedCalendarStore.h"

#include <gtest/gtest.h>

#include <optional>
#include <thread>

#include "Simulated/SimulatedClock.h"
#include "Simulated/SimulatedRunLoop.h"

namespace CorlaMeetings {
namespace {

const Instant kTen = Instant{std::chrono::hours{10}};

Instant minutesAfterTen(double minutes) { return addingSeconds(kTen, minutes * 60); }

CalendarEvent eventFrom(double startMinutes, double endMinutes, std::string title = "") {
  CalendarEvent event;
  event.title = std::move(title);
  event.startDate = minutesAfterTen(startMinutes);
  event.endDate = minutesAfterTen(endMinutes);
  return event;
}

class SimulatedCalendarStoreTest : public testing::Test {
 protected:
  SimulatedClock clock{kTen};
  SimulatedRunLoop loop{clock};
  SimulatedCalendarStore store{loop};
};

TEST_F(SimulatedCalendarStoreTest, FindsEventsOverlappingTheHalfOpenWindow) {
  struct Case {
    const char* what;
    double start, end;
    bool found;
  };
  // The window is [10:00, 11:00).
  const Case cases[] = {
      {"ends as the window starts", -60, 0, false},
      {"starts as the window ends", 60, 120, false},
      {"spans the window", -60, 120, true},
      {"lies inside", 10, 20, true},
      {"straddles the start", -30, 30, true},
      {"straddles the end", 30, 90, true},
      {"ends a microsecond into the window", -60, 1.0 / 60'000'000, true},
      {"has no length, at the window start", 0, 0, true},
      {"has no length, inside", 30, 30, true},
      {"has no length, at the window end", 60, 60, false},
      {"ends before it starts, starting inside", 30, -30, true},
      {"ends before it starts, starting before", -30, -60, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    store.replaceEvents({eventFrom(c.start, c.end)});
    EXPECT_EQ(store.events(minutesAfterTen(0), minutesAfterTen(60)).size(), c.found ? 1u : 0u);
  }
}

TEST_F(SimulatedCalendarStoreTest, EmptyOrInvertedWindowFindsNothing) {
  store.addEvent(eventFrom(0, 0));
  store.addEvent(eventFrom(-60, 60));

  EXPECT_TRUE(store.events(minutesAfterTen(0), minutesAfterTen(0)).empty());
  EXPECT_TRUE(store.events(minutesAfterTen(60), minutesAfterTen(0)).empty());
  EXPECT_EQ(store.queryCount(), 2);
}

TEST_F(SimulatedCalendarStoreTest, ReturnsEventsInInsertionOrderNotByStart) {
  auto late = store.addEvent(eventFrom(40, 50, "late"));
  auto outside = store.addEvent(eventFrom(200, 210, "outside"));
  auto early = store.addEvent(eventFrom(0, 10, "early"));
  auto sameStart = store.addEvent(eventFrom(40, 45, "same start"));

  auto found = store.events(minutesAfterTen(0), minutesAfterTen(60));

  EXPECT_EQ(found, (std::vector<std::shared_ptr<const CalendarEvent>>{late, early, sameStart}));
  ASSERT_TRUE(store.lastQueryWindow());
  EXPECT_EQ(store.lastQueryWindow()->end, minutesAfterTen(60));
}

TEST_F(SimulatedCalendarStoreTest, AnswersAccessLaterThroughTheRunLoop) {
  std::optional<bool> first, second;
  store.requestAccess([&](bool granted) { first = granted; });
  store.answerAccessWith(false);
  store.requestAccess([&](bool granted) { second = granted; });

  EXPECT_FALSE(first);
  loop.runUntilIdle();

  EXPECT_EQ(first, true);
  EXPECT_EQ(second, false);
}

TEST_F(SimulatedCalendarStoreTest, HeldAccessRequestsAreAnsweredOnTheAnsweringThread) {
  store.holdAccessRequests();
  std::optional<bool> answer;
  std::thread::id answeredOn;
  store.requestAccess([&](bool granted) {
    answer = granted;
    answeredOn = std::this_thread::get_id();
  });
  loop.runUntilIdle();
  EXPECT_FALSE(answer);

  std::thread::id answerer;
  std::thread desktop([&] {
    answerer = std::this_thread::get_id();
    store.answerPendingAccessRequests(true);
  });
  desktop.join();

  EXPECT_EQ(answer, true);
  EXPECT_EQ(answeredOn, answerer);
  EXPECT_EQ(store.pendingAccessRequestCount(), 0u);
}

}  // namespace
}  // namespace CorlaMeetings
