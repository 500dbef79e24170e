#include "ui/TimelineView.h"

#include <gtest/gtest.h>

#include "CorlaMeetings/ui/ViewTestSupport.h"
#include "app/LocalCalendar.h"

namespace CorlaMeetings {
namespace {

using namespace std::chrono_literals;
using viewtest::localTime;
using viewtest::meeting;
using Fill = viewtest::RecordingGraphicsContext::Fill;

constexpr double hourWidth = 354.0 / 96;

// 10 June 2026: no clock change in the four days that follow, in either test zone.
class TimelineViewTest : public testing::Test {
 protected:
  Instant today(int hour, int minute = 0) const { return localTime(2026, 6, 10, hour, minute); }

  std::vector<Fill> draw(std::vector<MeetingItem> meetings) {
    TimelineView view({18, 14, 354, 16}, clock);
    view.meetings = std::move(meetings);
    viewtest::RecordingGraphicsContext context;
    view.draw(context);
    return context.fills();
  }

  // The blocks alone, after the track.
  std::vector<Fill> blocks(std::vector<MeetingItem> meetings) {
    auto fills = draw(std::move(meetings));
    fills.erase(fills.begin());
    return fills;
  }

  viewtest::FixedClock clock{localTime(2026, 6, 10, 14, 0)};
};

void expectBlock(const Fill& fill, double x, double width) {
  EXPECT_DOUBLE_EQ(fill.rect.x, x);
  EXPECT_DOUBLE_EQ(fill.rect.width, width);
  EXPECT_EQ(fill.rect.y, 4);
  EXPECT_EQ(fill.rect.height, 8);
  EXPECT_EQ(fill.xRadius, 4);
  EXPECT_EQ(fill.yRadius, 4);
}

TEST_F(TimelineViewTest, WithoutMeetingsDrawsOnlyTheTrack) {
  const auto fills = draw({});
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].rect, (Rect{0, 5, 354, 6}));
  EXPECT_EQ(fills[0].xRadius, 3);
  EXPECT_EQ(fills[0].yRadius, 3);
  EXPECT_EQ(fills[0].color, separatorColor().withAlpha(0.5));
}

TEST_F(TimelineViewTest, PlacesAnHourByItsLocalTime) {
  const auto fills = blocks({meeting(today(9), today(10))});
  ASSERT_EQ(fills.size(), 1u);
  expectBlock(fills[0], 33.1875, 3.6875);
  EXPECT_EQ(fills[0].color, veltoBlue());
}

TEST_F(TimelineViewTest, DrawsShortMeetingsThreePointsWide) {
  const auto fills = blocks({meeting(today(9), today(9, 15)), meeting(today(11), today(11))});
  ASSERT_EQ(fills.size(), 2u);
  expectBlock(fills[0], 9 * hourWidth, 3);
  expectBlock(fills[1], 11 * hourWidth, 3);
}

TEST_F(TimelineViewTest, CutsMeetingsAtTheEndsOfTheWindow) {
  const Instant windowEnd = localTime(2026, 6, 14);
  const auto fills = blocks({
      meeting(localTime(2026, 6, 9, 20), today(8)),             // began yesterday
      meeting(windowEnd - 2h, windowEnd + 2h),                   // runs past the fourth day
      meeting(localTime(2026, 6, 8, 9), localTime(2026, 6, 8, 10)),  // over before the window
      meeting(windowEnd + 1h, windowEnd + 2h),                   // after the window
  });
  ASSERT_EQ(fills.size(), 4u);
  expectBlock(fills[0], 0, 8 * hourWidth);
  expectBlock(fills[1], 354 - 2 * hourWidth, 2 * hourWidth);
  expectBlock(fills[2], 0, 3);
  EXPECT_GT(fills[3].rect.x, 354);
}

TEST_F(TimelineViewTest, ShowsTheMeetingInProgressInLimeIncludingItsEnds) {
  const auto fills = blocks({meeting(today(14), today(15)), meeting(today(13), today(14)), meeting(today(14, 1), today(15)),
                             meeting(today(13), today(14) - 1us)});
  ASSERT_EQ(fills.size(), 4u);
  EXPECT_EQ(fills[0].color, veltoLime());
  EXPECT_EQ(fills[1].color, veltoLime());
  EXPECT_EQ(fills[2].color, veltoBlue());
  EXPECT_EQ(fills[3].color, veltoBlue());
}

TEST_F(TimelineViewTest, PaintsLaterMeetingsOverEarlierOnes) {
  const auto fills = blocks({meeting(today(9), today(12)), meeting(today(10), today(11))});
  ASSERT_EQ(fills.size(), 2u);
  expectBlock(fills[0], 9 * hourWidth, 3 * hourWidth);
  expectBlock(fills[1], 10 * hourWidth, hourWidth);
}

TEST_F(TimelineViewTest, WindowOverAClockChangeSpansFourCalendarDays) {
  const auto change = viewtest::nextClockChange(localTime(2026, 1, 1));
  if (!change) GTEST_SKIP() << "zone keeps one offset";
  clock.set(change->at - 36h);
  const Instant windowStart = LocalCalendar::startOfDay(clock.now());
  const Instant windowEnd = LocalCalendar::addingDays(windowStart, 4);
  ASSERT_EQ(windowEnd - windowStart, 96h - change->shift);

  const auto fills = blocks({meeting(windowStart, windowEnd)});
  ASSERT_EQ(fills.size(), 1u);
  expectBlock(fills[0], 0, 354);
}

}  // namespace
}  // namespace CorlaMeetings
