#include <QPixmap>
#include <gtest/gtest.h>

#include "Platforms/QtMenu/QtMenuTestSupport.h"
#include "QtMenu/ViewWidget.h"
#include "Simulated/SimulatedClock.h"
#include "ui/TimelineView.h"

namespace CorlaMeetings {
namespace {

using Testing::december7;
using Testing::meetingItem;

const QColor blue(46, 120, 255);
const QColor lime(156, 255, 48);

// The header's 354 x 16 timeline on Monday 7 December. An hour is 3.6875 pixels wide, so
// 09:00-10:00 covers x 33.19 to 36.88; blocks span y 4 to 12, the same from either edge.
class TimelinePainting : public testing::Test {
 protected:
  QImage paint(std::vector<MeetingItem> meetings) { return Testing::snapshot(*timeline(std::move(meetings))); }

  std::unique_ptr<QWidget> timeline(std::vector<MeetingItem> meetings) {
    auto view = std::make_shared<TimelineView>(Rect{18, 14, 354, 16}, clock);
    view->meetings = std::move(meetings);
    std::unique_ptr<QWidget> widget(makeViewWidget(view, Theme{palette, QApplication::font()}));
    widget->setPalette(palette);  // the window behind, as in a menu of that theme
    return widget;
  }

  SimulatedClock clock{december7(8)};
  QPalette palette = Testing::lightPalette();
  MeetingItem nineToTen = meetingItem("Review", december7(9), december7(10));
};

TEST_F(TimelinePainting, PaintsAnHourAtItsPixelsOnAFaintTrack) {
  const QImage image = paint({nineToTen});
  ASSERT_EQ(image.size(), QSize(354, 16));
  for (int x : {34, 35}) {
    for (int y : {5, 8, 10}) EXPECT_EQ(image.pixelColor(x, y), blue) << x << "," << y;
  }
  // Beside the block the track: window text at an eighth, on the window.
  QColor track = palette.color(QPalette::WindowText);
  track.setAlphaF(0.125);
  const QColor expectedTrack = Testing::drawn(Testing::composited(track, palette.color(QPalette::Window)));
  for (int x : {31, 38, 200}) {
    const QColor pixel = image.pixelColor(x, 8);
    EXPECT_LE(std::abs(pixel.red() - expectedTrack.red()) + std::abs(pixel.blue() - expectedTrack.blue()), 4) << x;
  }
  // Above and below, nothing.
  EXPECT_EQ(image.pixelColor(35, 1), palette.color(QPalette::Window));
  EXPECT_EQ(image.pixelColor(35, 14), palette.color(QPalette::Window));
}

TEST_F(TimelinePainting, LiveMeetingIsLimeAndTheLaterOfTwoIsOnTop) {
  clock.set(december7(9, 30));
  const MeetingItem live = meetingItem("Live", december7(9), december7(11));     // x 33.2 to 40.6
  const MeetingItem later = meetingItem("Later", december7(10), december7(20));  // x 36.9 to 73.8
  EXPECT_EQ(paint({later, live}).pixelColor(38, 8), lime);
  EXPECT_EQ(paint({live, later}).pixelColor(38, 8), blue);
}

// Painted as vectors at the device's density, not scaled up from logical pixels: at twice the
// density the block's first full device pixel is 67 (2 x 33.19 = 66.4), where a scaled 1x
// image would show a blend.
TEST_F(TimelinePainting, StaysCrispAtDoubleDensity) {
  auto widget = timeline({nineToTen});
  QPixmap pixmap(widget->size() * 2);
  pixmap.setDevicePixelRatio(2);
  pixmap.fill(palette.color(QPalette::Window));
  widget->render(&pixmap);
  const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
  for (int x : {67, 68, 72}) EXPECT_EQ(image.pixelColor(x, 16), blue) << x;
  EXPECT_NE(image.pixelColor(66, 16), blue);
  EXPECT_NE(image.pixelColor(74, 16), blue);
}

}  // namespace
}  // namespace CorlaMeetings
