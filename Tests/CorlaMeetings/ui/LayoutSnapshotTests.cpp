#include <gtest/gtest.h>

#include "CorlaMeetings/ui/ViewTestSupport.h"
#include "ui/DisplayText.h"

namespace CorlaMeetings::Testing {
namespace {

using namespace std::chrono_literals;

// Every frame, font and colour of the drop-down's views, in one place: a change of layout
// is a change of this text.
TEST(LayoutSnapshot, HeaderMeetingCardAndStatusCard) {
  const Instant now = localTime(2026, 6, 10, 14);
  SimulatedClock clock(now);
  const MeetingItem next = meeting(now + 1h, now + 2h, "Room 4", "https://acme.zoom.us/j/123456");
  const std::string range = timeRange(*next.event);
  EXPECT_EQ(layoutOf(HeaderView({next}, next, clock)) +
                layoutOf(MeetingCardView(
                    next, [] {}, now)) +
                layoutOf(StatusCardView("Title", "Subtitle", "Detail")),
            "Header {0 0 410 124}\n"
            "  Label {18 101 220 16} 11 semibold secondary \"Velto Meetings Reminder\"\n"
            "  Label {18 66 285 31} 24 bold label tail \"Design review\"\n"
            "  Label {280 91 92 20} 13 semibold blue right \"1 / 4d\"\n"
            "  Label {18 42 354 18} 12 secondary tail \"In 1h 0m \u2022 " +
                range +
                "\"\n"
                "  Timeline {18 14 354 16}\n"
                "MeetingCard {0 0 390 66}\n"
                "  View {16 18 4 30} on blue radius 2\n"
                "  Label {30 39 92 18} 12 semibold mono secondary \"" +
                range +
                "\"\n"
                "  Label {126 39 164 20} 14 semibold label tail \"Design review\"\n"
                "  Label {126 23 164 16} 11 secondary tail \"Room 4\"\n"
                "  Label {126 7 164 16} 11 secondary tail \"In 1h 0m\"\n"
                "  Button {304 18 66 28} \"Join\"\n"
                "StatusCard {0 0 390 88}\n"
                "  Label {18 58 340 24} 17 bold label \"Title\"\n"
                "  Label {18 35 340 18} 13 semibold label \"Subtitle\"\n"
                "  Label {18 14 340 18} 12 secondary \"Detail\"\n");
}

}  // namespace
}  // namespace CorlaMeetings::Testing
