#include "ui/MeetingCardView.h"

#include <utility>

#include "meetings/MeetingService.h"
#include "meetings/PlainText.h"
#include "ui/DisplayText.h"

namespace CorlaMeetings {

namespace {

std::shared_ptr<Label> makeLabel(std::string text, Rect frame, Font font, Color color, LineBreakMode lineBreak) {
  auto label = std::make_shared<Label>(std::move(text), frame);
  label->font = font;
  label->textColor = color;
  label->lineBreakMode = lineBreak;
  return label;
}

std::string statusText(const MeetingItem& item, Instant now) {
  if (item.isHappeningNow(now)) return "Live now";
  const Duration untilStart = item.event->startDate - now;
  if (untilStart > Duration::zero()) return startsInText(untilStart);
  return "Ended";
}

}  // namespace

MeetingCardView::MeetingCardView(MeetingItem item, std::function<void()> joinAction, Instant now)
    : View({0, 0, 390, 66}),
      item_(std::move(item)),
      joinAction_(std::make_shared<const std::function<void()>>(std::move(joinAction))) {
  build(now);
}

void MeetingCardView::joinClicked() const {
  if (*joinAction_) (*joinAction_)();
}

const Label& MeetingCardView::timeLabel() const { return static_cast<const Label&>(*subviews()[1]); }
const Label& MeetingCardView::titleLabel() const { return static_cast<const Label&>(*subviews()[2]); }
const Label& MeetingCardView::locationLabel() const { return static_cast<const Label&>(*subviews()[3]); }
const Label& MeetingCardView::statusLabel() const { return static_cast<const Label&>(*subviews()[4]); }
const Button& MeetingCardView::joinButton() const { return static_cast<const Button&>(*subviews()[5]); }

void MeetingCardView::build(Instant now) {
  auto accentBar = std::make_shared<View>(Rect{16, 18, 4, 30});
  accentBar->backgroundColor = item_.isHappeningNow(now) ? veltoLime() : veltoBlue();
  accentBar->cornerRadius = 2;
  addSubview(accentBar);

  addSubview(makeLabel(timeRange(*item_.event), {30, 39, 92, 18}, Font::monospacedDigitSystem(12, FontWeight::semibold),
                       item_.isHappeningNow(now) ? veltoLime() : secondaryLabelColor(), LineBreakMode::standard));
  addSubview(makeLabel(item_.title(), {126, 39, 164, 20}, Font::system(14, FontWeight::semibold), labelColor(),
                       LineBreakMode::truncateTail));
  addSubview(makeLabel(locationText(), {126, 23, 164, 16}, Font::system(11, FontWeight::regular), secondaryLabelColor(),
                       LineBreakMode::truncateTail));
  addSubview(makeLabel(statusText(item_, now), {126, 7, 164, 16}, Font::system(11), secondaryLabelColor(),
                       LineBreakMode::truncateTail));

  const bool hasLink = item_.joinURL.has_value();
  std::weak_ptr<const std::function<void()>> action = joinAction_;
  auto button = std::make_shared<Button>(hasLink ? "Join" : "Open", Rect{304, 18, 66, 28}, [action] {
    if (auto join = action.lock(); join && *join) (*join)();
  });
  button->enabled = hasLink;
  addSubview(button);
}

std::string MeetingCardView::locationText() const {
  if (item_.event->location) {
    std::string location = trimmingWhitespace(*item_.event->location);
    if (!location.empty()) return location;
  }
  if (item_.joinURL && !item_.joinURL->host().empty()) {
    const std::string host = asciiLowercased(item_.joinURL->host());
    for (const MeetingService& service : meetingServices) {
      if (host.find(service.host) != std::string::npos) return std::string(service.displayName);
    }
    return host;
  }
  return "No location";
}

}  // namespace CorlaMeetings
