#include "ui/MeetingCardView.h"

#include <gtest/gtest.h>

#include "CorlaMeetings/ui/ViewTestSupport.h"
#include "ui/DisplayText.h"

namespace CorlaMeetings {
namespace {

using namespace std::chrono_literals;
using viewtest::meeting;

const Instant now = std::chrono::sys_days{std::chrono::year{2026} / 6 / 10} + 14h;
const char* const zoomLink = "https://acme.zoom.us/j/123456";

MeetingCardView card(MeetingItem item, std::function<void()> join = [] {}) {
  return MeetingCardView(std::move(item), std::move(join), now);
}

TEST(MeetingCardView, LaysOutSixSubviewsInTheirFrames) {
  const auto view = card(meeting(now + 1h, now + 2h, "Room 4", zoomLink));
  EXPECT_EQ(view.frame(), (Rect{0, 0, 390, 66}));
  ASSERT_EQ(view.subviews().size(), 6u);
  EXPECT_EQ(view.accentBar().frame(), (Rect{16, 18, 4, 30}));
  EXPECT_EQ(view.accentBar().cornerRadius, 2);

  const auto semibold = FontWeight::semibold;
  const auto tail = LineBreakMode::truncateTail;
  const struct {
    const Label& label;
    Rect frame;
    Font font;
    Color color;
    LineBreakMode lineBreak;
    std::string text;
  } labels[] = {
      {view.timeLabel(), {30, 39, 92, 18}, Font::monospacedDigitSystem(12, semibold), secondaryLabelColor(),
       LineBreakMode::standard, timeRange(*view.item().event)},
      {view.titleLabel(), {126, 39, 164, 20}, Font::system(14, semibold), labelColor(), tail, "Design review"},
      {view.locationLabel(), {126, 23, 164, 16}, Font::system(11), secondaryLabelColor(), tail, "Room 4"},
      {view.statusLabel(), {126, 7, 164, 16}, Font::system(11), secondaryLabelColor(), tail, "In 1h 0m"},
  };
  for (const auto& l : labels) {
    EXPECT_EQ(l.label.frame(), l.frame) << l.text;
    EXPECT_EQ(l.label.font, l.font) << l.text;
    EXPECT_EQ(l.label.textColor, l.color) << l.text;
    EXPECT_EQ(l.label.lineBreakMode, l.lineBreak) << l.text;
    EXPECT_EQ(l.label.text, l.text);
  }

  EXPECT_EQ(view.joinButton().frame(), (Rect{304, 18, 66, 28}));
  EXPECT_EQ(view.joinButton().title, "Join");
  EXPECT_TRUE(view.joinButton().enabled);
}

TEST(MeetingCardView, ShowsAMeetingInProgressInLime) {
  for (const Instant start : {now - 10min, now}) {
    const auto view = card(meeting(start, now + 20min));
    EXPECT_EQ(view.accentBar().backgroundColor, veltoLime());
    EXPECT_EQ(view.timeLabel().textColor, veltoLime());
    EXPECT_EQ(view.statusLabel().text, "Live now");
  }
}

TEST(MeetingCardView, ShowsOtherMeetingsInBlueWithHowSoonTheyStart) {
  const struct {
    Instant start;
    Instant end;
    const char* status;
  } cases[] = {
      {now + 30s, now + 30min, "Starts now"},
      {now + 12min, now + 30min, "In 12m"},
      {now - 1h, now - 1s, "Ended"},
      {now - 1h, now - 1h, "Ended"},
  };
  for (const auto& c : cases) {
    const auto view = card(meeting(c.start, c.end));
    EXPECT_EQ(view.accentBar().backgroundColor, veltoBlue()) << c.status;
    EXPECT_EQ(view.timeLabel().textColor, secondaryLabelColor()) << c.status;
    EXPECT_EQ(view.statusLabel().text, c.status);
  }
}

TEST(MeetingCardView, LocationFallsBackToTheServiceOrHostOfTheLink) {
  const struct {
    std::optional<std::string> location;
    std::optional<std::string> link;
    const char* shown;
  } cases[] = {
      {"  Room 4 \n", zoomLink, "Room 4"},
      {" \n\t\u2028", zoomLink, "Zoom"},
      {std::nullopt, "https://Teams.Microsoft.com/l/meetup-join/1", "Microsoft Teams"},
      {std::nullopt, "https://meet.google.com/abc-defg-hij", "Google Meet"},
      {"", "https://intranet.Example.COM/calendar", "intranet.example.com"},
      {"", "https://webex.com.example.org/room", "Webex"},
      {"", "https://mywhereby.company.net/x", "Whereby"},  // "whereby.com" runs across the dot
      {"", "https://whereby.example.net/x", "whereby.example.net"},
      {"", "mailto:someone@example.com", "No location"},
      {"", std::nullopt, "No location"},
      {std::nullopt, std::nullopt, "No location"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(card(meeting(now + 1h, now + 2h, c.location, c.link)).locationLabel().text, c.shown)
        << c.link.value_or("no link");
  }
}

TEST(MeetingCardView, OffersOpenDisabledWithoutALink) {
  int joins = 0;
  const auto view = card(meeting(now + 1h, now + 2h), [&] { ++joins; });
  EXPECT_EQ(view.joinButton().title, "Open");
  EXPECT_FALSE(view.joinButton().enabled);
  view.joinButton().press();
  EXPECT_EQ(joins, 0);
}

TEST(MeetingCardView, JoinRunsTheActionOncePerClick) {
  int joins = 0;
  const auto view = card(meeting(now + 1h, now + 2h, std::nullopt, zoomLink), [&] { ++joins; });
  view.joinButton().press();
  EXPECT_EQ(joins, 1);
  view.joinClicked();
  EXPECT_EQ(joins, 2);
}

TEST(MeetingCardView, ButtonKeptPastItsCardDoesNothing) {
  int joins = 0;
  std::shared_ptr<View> button;
  {
    const auto view = card(meeting(now + 1h, now + 2h, std::nullopt, zoomLink), [&] { ++joins; });
    button = view.subviews()[5];
  }
  static_cast<const Button&>(*button).press();
  EXPECT_EQ(joins, 0);
}

}  // namespace
}  // namespace CorlaMeetings
