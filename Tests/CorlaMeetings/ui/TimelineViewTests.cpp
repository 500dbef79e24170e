#include "ui/TimelineView.h"

#include <gtest/gtest.h>

#include "CorlaMeetings/ui/ViewTestSupport.h"
#include "app/LocalCalendar.h"

namespace CorlaMeetings::Testing {

// Readable failures: where a block is drawn, and which colour.
void PrintTo(const RecordingGraphicsContext::Fill& fill, std::ostream* out) {
  const char* color = fill.color == veltoLime() ? "lime" : fill.color == veltoBlue() ? "blue" : "other";
  *out << "{x " << fill.rect.x << ", y " << fill.rect.y << ", " << fill.rect.width << " x " << fill.rect.height
       << ", radius " << fill.xRadius << ", " << color << "}";
}

namespace {

using Fill = RecordingGraphicsContext::Fill;

constexpr double hourWidth = 354.0 / 96;

// 10 June 2026, 14:00: no clock change in the four days that follow, in either test zone.
class TimelineViewTest : public testing::Test {
 protected:
  static Instant today(int hour, int minute = 0) { return localTime(2026, 6, 10, hour, minute); }

  // What is drawn: the track first, then a block per meeting.
  std::vector<Fill> draw(std::vector<MeetingItem> meetings) {
    TimelineView view({18, 14, 354, 16}, clock);
    view.meetings = std::move(meetings);
    RecordingGraphicsContext context;
    view.draw(context);
    return context.fills();
  }

  SimulatedClock clock{today(14)};
};

// A block: `width` wide at `x`, 8 high and centred on the track.
Fill block(double x, double width, Color color = veltoBlue()) { return {{x, 4, width, 8}, 4, 4, color}; }

TEST_F(TimelineViewTest, PlacesMeetingsByLocalTimeAndCutsThemToTheFourDays) {
  const Instant windowEnd = localTime(2026, 6, 14);
  const auto fills = draw({
      meeting(today(9), today(10)), meeting(today(11), today(11, 15)),              // short: three points wide
      meeting(today(12), today(12)), meeting(localTime(2026, 6, 9, 20), today(8)),  // began yesterday
      meeting(windowEnd - 2h, windowEnd + 2h),                                      // runs past the fourth day
      meeting(localTime(2026, 6, 8, 9), localTime(2026, 6, 8, 10)),                 // over before the window
  });
  EXPECT_EQ(fills, (std::vector<Fill>{{{0, 5, 354, 6}, 3, 3, separatorColor().withAlpha(0.5)},
                                      block(33.1875, 3.6875),
                                      block(11 * hourWidth, 3),
                                      block(12 * hourWidth, 3),
                                      block(0, 8 * hourWidth),
                                      block(354 - 2 * hourWidth, 2 * hourWidth),
                                      block(0, 3)}));
}

TEST_F(TimelineViewTest, ShowsTheMeetingInProgressInLimeIncludingItsEnds) {
  const auto fills = draw({meeting(today(14), today(15)), meeting(today(13), today(14)),
                           meeting(today(14, 1), today(15)), meeting(today(13), today(14) - 1us)});
  ASSERT_EQ(fills.size(), 5u);
  EXPECT_EQ(fills[1].color, veltoLime());
  EXPECT_EQ(fills[2].color, veltoLime());
  EXPECT_EQ(fills[3].color, veltoBlue());
  EXPECT_EQ(fills[4].color, veltoBlue());
}

TEST_F(TimelineViewTest, WindowOverAClockChangeSpansFourCalendarDays) {
  const auto changes = clockChangesOf2026();
  ASSERT_FALSE(changes.empty());
  clock.set(changes[0].at - 36h);
  const Instant windowStart = LocalCalendar::startOfDay(clock.now());
  const Instant windowEnd = LocalCalendar::addingDays(windowStart, 4);
  ASSERT_EQ(windowEnd - windowStart, 96h - changes[0].shift);
  const auto fills = draw({meeting(windowStart, windowEnd)});
  ASSERT_EQ(fills.size(), 2u);
  EXPECT_EQ(fills[1], block(0, 354, veltoLime()));  // in progress, as it spans the whole window
}

}  // namespace
}  // namespace CorlaMeetings::Testing
