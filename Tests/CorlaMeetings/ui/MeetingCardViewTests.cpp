#include "ui/MeetingCardView.h"

#include <gtest/gtest.h>

#include "CorlaMeetings/ui/ViewTestSupport.h"
#include "ui/DisplayText.h"

namespace CorlaMeetings::Testing {
namespace {

const Instant now = std::chrono::sys_days{std::chrono::year{2026} / 6 / 10} + 14h;
const char* const zoomLink = "https://acme.zoom.us/j/123456";

MeetingCardView card(
    MeetingItem item, std::function<void()> join = [] {}) {
  return MeetingCardView(std::move(item), std::move(join), now);
}

TEST(MeetingCardView, ShowsTheMeetingInProgressInLimeAndOthersInBlue) {
  const struct {
    Instant start, end;
    const char* status;
    bool live;
    // clang-format off
  } cases[] = {
      {now - 10min, now + 20min, "Live now", true},  {now, now + 20min, "Live now", true},
      {now + 30s, now + 30min, "Starts now", false}, {now + 12min, now + 30min, "In 12m", false},
      {now - 1h, now - 1s, "Ended", false},          {now - 1h, now - 1h, "Ended", false},
  };
  // clang-format on
  for (const auto& c : cases) {
    const auto view = card(meeting(c.start, c.end));
    EXPECT_EQ(view.accentBar().backgroundColor, c.live ? veltoLime() : veltoBlue()) << c.status;
    EXPECT_EQ(view.timeLabel().textColor, c.live ? veltoLime() : secondaryLabelColor()) << c.status;
    EXPECT_EQ(view.statusLabel().text, c.status);
  }
}

TEST(MeetingCardView, LocationFallsBackToTheServiceOrHostOfTheLink) {
  const struct {
    std::optional<std::string> location;
    std::optional<std::string> link;
    const char* shown;
    // clang-format off
  } cases[] = {
      {" \u00A0Room 4\u3000\n", zoomLink, "Room 4"},
      {" \n\t\u2028", zoomLink, "Zoom"},
      {std::nullopt, "https://Teams.Microsoft.com/l/meetup-join/1", "Microsoft Teams"},
      {"", "https://intranet.Example.COM/calendar", "intranet.example.com"},
      {"", "https://mywhereby.company.net/x", "Whereby"},  // "whereby.com" runs across the dot
      {"", "mailto:someone@example.com", "No location"},
      {std::nullopt, std::nullopt, "No location"},
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(card(meeting(now + 1h, now + 2h, c.location, c.link)).locationLabel().text, c.shown)
        << c.link.value_or("no link");
  }
}

TEST(MeetingCardView, JoinRunsTheActionOnlyWithALinkAndWhileTheCardLives) {
  int joins = 0;
  std::shared_ptr<View> keptButton;
  {
    const auto withLink = card(meeting(now + 1h, now + 2h, std::nullopt, zoomLink), [&] { ++joins; });
    EXPECT_EQ(withLink.joinButton().title, "Join");
    withLink.joinButton().press();
    EXPECT_EQ(joins, 1);
    keptButton = withLink.subviews()[5];
  }
  static_cast<const Button&>(*keptButton).press();
  const auto withoutLink = card(meeting(now + 1h, now + 2h), [&] { ++joins; });
  EXPECT_EQ(withoutLink.joinButton().title, "Open");
  EXPECT_FALSE(withoutLink.joinButton().enabled);
  withoutLink.joinButton().press();
  EXPECT_EQ(joins, 1);
}

}  // namespace
}  // namespace CorlaMeetings::Testing
