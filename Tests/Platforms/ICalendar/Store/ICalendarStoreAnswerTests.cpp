// The store keeps its last answer for the next refresh of the same window: only while
// nothing it depends on has changed.

#include <gtest/gtest.h>

#include "ICalendar/Store/ICalendarStore.h"
#include "Platforms/ICalendar/Support/StoreFixture.h"
#include "Support/LocalTime.h"

namespace CorlaMeetings::Testing {
namespace {

class ICalendarStoreAnswers : public StoreFixture {};

TEST_F(ICalendarStoreAnswers, FloatingTimesFollowAChangeOfTheUsersZone) {
  files->write(folder / "cal.ics", calendarText({{"float@test", "Floating", "20300101T090000", "20300101T100000"}}));
  makeStore({folder / "cal.ics"});
  ASSERT_TRUE(accessGranted());
  const Instant start = kDay - std::chrono::hours(24);
  const Instant end = kDayEnd + std::chrono::hours(24);
  Testing::ScopedDefaultZone utc("UTC");
  ASSERT_EQ(store->events(start, end).size(), 1u);
  EXPECT_EQ(store->events(start, end)[0]->startDate, kDay + std::chrono::hours(9));
  Testing::ScopedDefaultZone tokyo("Asia/Tokyo");
  ASSERT_EQ(store->events(start, end).size(), 1u);
  EXPECT_EQ(store->events(start, end)[0]->startDate, kDay);
}

TEST_F(ICalendarStoreAnswers, AnotherWindowOrAnEditGetsAFreshAnswer) {
  files->write(folder / "cal.ics", calendarText({kStandup, kReview}));
  makeStore({folder / "cal.ics"});
  ASSERT_TRUE(accessGranted());
  EXPECT_EQ(titles(), (std::vector<std::string>{"09:00 Standup", "13:00 Review"}));
  EXPECT_EQ(store->events(kDay + std::chrono::hours(12), kDayEnd).size(), 1u);

  files->replace(folder / "cal.ics", calendarText({kStandup, kRetro}));
  loop.runUntilIdle();
  EXPECT_GT(changes, 0);
  EXPECT_EQ(titles(), (std::vector<std::string>{"09:00 Standup", "16:00 Retro"}));
}

}  // namespace
}  // namespace CorlaMeetings::Testing
