#include "Simulated/SimulatedCalendarStore.h"

#include <gtest/gtest.h>

#include "Simulated/SimulatedClock.h"
#include "Simulated/SimulatedRunLoop.h"

namespace CorlaMeetings::Testing {
namespace {

const Instant kTen = Instant{10h};

CalendarEvent eventFrom(Duration start, Duration end, std::string title = "") {
  CalendarEvent event;
  event.title = std::move(title);
  event.startDate = kTen + start;
  event.endDate = kTen + end;
  return event;
}

class SimulatedCalendarStoreTest : public testing::Test {
 protected:
  std::size_t foundInTheHour(Duration start, Duration end) {
    store.replaceEvents({eventFrom(start, end)});
    return store.events(kTen, kTen + 1h).size();
  }

  SimulatedClock clock{kTen};
  SimulatedRunLoop loop{clock};
  SimulatedCalendarStore store{loop};
};

// The window [10:00, 11:00) is half open.
TEST_F(SimulatedCalendarStoreTest, FindsEventsOverlappingTheWindowInInsertionOrder) {
  EXPECT_EQ(foundInTheHour(-60min, 0min), 0u) << "ends as the window starts";
  EXPECT_EQ(foundInTheHour(60min, 120min), 0u) << "starts as the window ends";
  EXPECT_EQ(foundInTheHour(-60min, 1us), 1u) << "ends a microsecond into the window";
  EXPECT_EQ(foundInTheHour(60min, 60min), 0u) << "no length, at the window end";
  EXPECT_EQ(foundInTheHour(30min, -30min), 1u) << "ends before it starts, starting inside";

  store.replaceEvents({});
  auto late = store.addEvent(eventFrom(40min, 50min, "late"));
  auto outside = store.addEvent(eventFrom(200min, 210min, "outside"));
  auto early = store.addEvent(eventFrom(0min, 10min, "early"));
  EXPECT_EQ(store.events(kTen, kTen + 1h), (std::vector<std::shared_ptr<const CalendarEvent>>{late, early}));
  EXPECT_TRUE(store.events(kTen, kTen).empty());
}

}  // namespace
}  // namespace CorlaMeetings::Testing
