#include "Simulated/SimulatedCalendarStore.h"

#include <gtest/gtest.h>

#include "Simulated/SimulatedClock.h"
#include "Simulated/SimulatedRunLoop.h"

namespace CorlaMeetings {
namespace {

const Instant kTen = Instant{std::chrono::hours{10}};

CalendarEvent eventFrom(double startMinutes, double endMinutes, std::string title = "") {
  CalendarEvent event;
  event.title = std::move(title);
  event.startDate = addingSeconds(kTen, startMinutes * 60);
  event.endDate = addingSeconds(kTen, endMinutes * 60);
  return event;
}

class SimulatedCalendarStoreTest : public testing::Test {
 protected:
  std::size_t foundInTheHour(double startMinutes, double endMinutes) {
    store.replaceEvents({eventFrom(startMinutes, endMinutes)});
    return store.events(kTen, addingSeconds(kTen, 3600)).size();
  }

  SimulatedClock clock{kTen};
  SimulatedRunLoop loop{clock};
  SimulatedCalendarStore store{loop};
};

// The window [10:00, 11:00) is half open.
TEST_F(SimulatedCalendarStoreTest, FindsEventsOverlappingTheWindowInInsertionOrder) {
  EXPECT_EQ(foundInTheHour(-60, 0), 0u) << "ends as the window starts";
  EXPECT_EQ(foundInTheHour(60, 120), 0u) << "starts as the window ends";
  EXPECT_EQ(foundInTheHour(-60, 1.0 / 60'000'000), 1u) << "ends a microsecond into the window";
  EXPECT_EQ(foundInTheHour(60, 60), 0u) << "no length, at the window end";
  EXPECT_EQ(foundInTheHour(30, -30), 1u) << "ends before it starts, starting inside";

  store.replaceEvents({});
  auto late = store.addEvent(eventFrom(40, 50, "late"));
  auto outside = store.addEvent(eventFrom(200, 210, "outside"));
  auto early = store.addEvent(eventFrom(0, 10, "early"));
  EXPECT_EQ(store.events(kTen, addingSeconds(kTen, 3600)), (std::vector<std::shared_ptr<const CalendarEvent>>{late, early}));
  EXPECT_TRUE(store.events(kTen, kTen).empty());
}

}  // namespace
}  // namespace CorlaMeetings
