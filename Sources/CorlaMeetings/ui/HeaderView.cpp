#include "ui/HeaderView.h"

#include "ui/DisplayText.h"

namespace CorlaMeetings {

namespace {

std::shared_ptr<Label> makeLabel(std::string text, Rect frame, Font font, Color color) {
  auto label = std::make_shared<Label>(std::move(text), frame);
  label->font = font;
  label->textColor = color;
  return label;
}

// "Live now • 9:00 AM-10:00 AM" or "In 5m • 9:00 AM-10:00 AM".
std::string headerDetailText(const MeetingItem& item, Instant now) {
  std::string lead = item.isHappeningNow(now) ? "Live now" : startsInText(item.event->startDate - now);
  return lead + " \u2022 " + timeRange(*item.event);
}

}  // namespace

HeaderView::HeaderView(const std::vector<MeetingItem>& meetings, const std::optional<MeetingItem>& next,
                       const Clock& clock)
    : View(Rect{0, 0, 410, 124}) {
  addSubview(makeLabel("Velto Meetings Reminder", {18, 101, 220, 16}, Font::system(11, FontWeight::semibold),
                       secondaryLabelColor()));

  auto headline = makeLabel(next ? cleanedMeetingName(next->title(), 30) : "All clear", {18, 66, 285, 31},
                            Font::system(24, FontWeight::bold), labelColor());
  headline->lineBreakMode = LineBreakMode::truncateTail;
  addSubview(headline);

  auto count = makeLabel(std::to_string(meetings.size()) + " / 4d", {280, 91, 92, 20},
                         Font::system(13, FontWeight::semibold), veltoBlue());
  count->alignment = TextAlignment::right;
  addSubview(count);

  auto detail = makeLabel(next ? headerDetailText(*next, clock.now()) : "Next 4 days are clear", {18, 42, 354, 18},
                          Font::system(12, FontWeight::regular), secondaryLabelColor());
  detail->lineBreakMode = LineBreakMode::truncateTail;
  addSubview(detail);

  auto timeline = std::make_shared<TimelineView>(Rect{18, 14, 354, 16}, clock);
  timeline->meetings = meetings;
  addSubview(timeline);
}

StatusCardView::StatusCardView(const std::string& title, const std::string& subtitle, const std::string& detail)
    : View(Rect{0, 0, 390, 88}) {
  addSubview(makeLabel(title, {18, 58, 340, 24}, Font::system(17, FontWeight::bold), labelColor()));
  addSubview(makeLabel(subtitle, {18, 35, 340, 18}, Font::system(13, FontWeight::semibold), labelColor()));
  addSubview(makeLabel(detail, {18, 14, 340, 18}, Font::system(12, FontWeight::regular), secondaryLabelColor()));
}

}  // namespace CorlaMeetings
