#include "app/LocalCalendar.h"

#include <gtest/gtest.h>
#include <unicode/timezone.h>

#include <memory>

#include "CorlaMeetings/ui/ViewTestSupport.h"

namespace CorlaMeetings {
namespace {

using namespace std::chrono_literals;
using viewtest::ClockChange;
using viewtest::localTime;
using viewtest::nextClockChange;

// The first clock change of 2026 goes forward, the next one back, in both test zones.
std::optional<ClockChange> clockChangeOf2026(int which) {
  auto change = nextClockChange(localTime(2026, 1, 1));
  if (which == 2 && change) change = nextClockChange(change->at);
  return change;
}

TEST(LocalCalendar, StartOfDayIsLocalMidnight) {
  const Instant noon = localTime(2026, 6, 10, 12, 0) + 123456us;
  EXPECT_EQ(LocalCalendar::startOfDay(noon), localTime(2026, 6, 10));
  EXPECT_EQ(LocalCalendar::startOfDay(localTime(2026, 6, 10)), localTime(2026, 6, 10));
  EXPECT_EQ(LocalCalendar::startOfDay(localTime(2026, 6, 10) - 1us), localTime(2026, 6, 9));
}

TEST(LocalCalendar, DaysAcrossClockChangesLast23And25Hours) {
  const auto forward = clockChangeOf2026(1);
  const auto back = clockChangeOf2026(2);
  if (!forward || !back) GTEST_SKIP() << "zone keeps one offset";
  ASSERT_GT(forward->shift, 0ms);
  ASSERT_LT(back->shift, 0ms);

  for (const ClockChange& change : {*forward, *back}) {
    const Instant dayStart = LocalCalendar::startOfDay(change.at);
    EXPECT_LT(dayStart, change.at);
    EXPECT_EQ(LocalCalendar::addingDays(dayStart, 1) - dayStart, 24h - change.shift);
    EXPECT_EQ(LocalCalendar::startOfDay(change.at + 4h), dayStart);
  }
}

TEST(LocalCalendar, AddingDaysKeepsWallClockTimeOverAClockChange) {
  const auto forward = clockChangeOf2026(1);
  const auto back = clockChangeOf2026(2);
  if (!forward || !back) GTEST_SKIP() << "zone keeps one offset";

  for (const ClockChange& change : {*forward, *back}) {
    const Instant dayBefore = LocalCalendar::startOfDay(change.at - 24h);
    const Instant meetingTime = dayBefore + 9h + 30min + 250us;
    const Instant later = LocalCalendar::addingDays(meetingTime, 4);
    EXPECT_EQ(later - meetingTime, 4 * 24h - change.shift);
    EXPECT_EQ(later - LocalCalendar::startOfDay(later), 9h + 30min + 250us);
    EXPECT_EQ(LocalCalendar::addingDays(later, -4), meetingTime);
  }
}

// Some zones change their clocks at midnight itself (Havana goes forward from 00:00 to 01:00
// in March and back from 01:00 to 00:00 in November).
class LocalCalendarInHavana : public testing::Test {
 protected:
  void SetUp() override {
    saved_.reset(icu::TimeZone::createDefault());
    icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone("America/Havana"));
  }
  void TearDown() override { icu::TimeZone::setDefault(*saved_); }

 private:
  std::unique_ptr<icu::TimeZone> saved_;
};

TEST_F(LocalCalendarInHavana, DayStartsAtTheFirstInstantItHas) {
  const auto forward = clockChangeOf2026(1);
  const auto back = clockChangeOf2026(2);
  if (!forward || !back) GTEST_SKIP() << "no Havana rules in this ICU";

  // Midnight is skipped: the day begins when the clocks jump to 01:00.
  EXPECT_EQ(LocalCalendar::startOfDay(forward->at + 11h), forward->at);
  // Midnight comes twice: the day begins at the first one, an hour before the change.
  EXPECT_EQ(LocalCalendar::startOfDay(back->at + 11h), back->at - 1h);
  EXPECT_EQ(LocalCalendar::startOfDay(back->at - 30min), back->at - 1h);
}

}  // namespace
}  // namespace CorlaMeetings
