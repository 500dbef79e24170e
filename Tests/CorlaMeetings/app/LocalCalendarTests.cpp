#include "app/LocalCalendar.h"

#include <gtest/gtest.h>

#include "CorlaMeetings/ui/ViewTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

TEST(LocalCalendar, DaysAcrossClockChangesLast23And25HoursAndKeepTheirWallClock) {
  EXPECT_EQ(LocalCalendar::startOfDay(localTime(2026, 6, 10) - 1us), localTime(2026, 6, 9));
  // Forward then back, in both test zones.
  const auto changes = clockChangesOf2026();
  ASSERT_EQ(changes.size(), 2u);
  ASSERT_GT(changes[0].shift, 0ms);
  ASSERT_LT(changes[1].shift, 0ms);
  for (const auto& change : changes) {
    const Instant dayStart = LocalCalendar::startOfDay(change.at);
    EXPECT_EQ(dayStart, LocalCalendar::startOfDay(change.at + 4h));
    EXPECT_EQ(LocalCalendar::addingDays(dayStart, 1) - dayStart, 24h - change.shift);

    const Instant meetingTime = LocalCalendar::startOfDay(change.at - 24h) + 9h + 30min + 250us;
    const Instant later = LocalCalendar::addingDays(meetingTime, 4);
    EXPECT_EQ(later - meetingTime, 4 * 24h - change.shift);
    EXPECT_EQ(later - LocalCalendar::startOfDay(later), 9h + 30min + 250us);
    EXPECT_EQ(LocalCalendar::addingDays(later, -4), meetingTime);
  }
}

// Havana changes its clocks at midnight itself: 00:00 is skipped in March and comes twice
// in November. The day starts at the first instant it has.
TEST(LocalCalendar, DayStartsAtItsFirstInstantWhereMidnightIsSkippedOrRepeated) {
  Testing::ScopedDefaultZone havana("America/Havana");
  const auto changes = clockChangesOf2026();
  if (changes.size() < 2) GTEST_SKIP() << "no Havana rules in this ICU";
  EXPECT_EQ(LocalCalendar::startOfDay(changes[0].at + 11h), changes[0].at);
  EXPECT_EQ(LocalCalendar::startOfDay(changes[1].at + 11h), changes[1].at - 1h);
  EXPECT_EQ(LocalCalendar::startOfDay(changes[1].at - 30min), changes[1].at - 1h);
}

}  // namespace
}  // namespace CorlaMeetings::Testing
