#include "ui/HeaderView.h"

#include "app/AppDelegate.h"
#include "ui/DisplayText.h"
#include "ui/TimelineView.h"

namespace CorlaMeetings {

namespace {

std::shared_ptr<Label> makeLabel(std::string text, Rect frame, Font font, Color color) {
  auto label = std::make_shared<Label>(std::move(text), frame);
  label->font = font;
  label->textColor = color;
  return label;
}

}  // namespace

std::shared_ptr<View> makeHeaderView(const std::vector<MeetingItem>& meetings, const std::optional<MeetingItem>& next,
                                     const Clock& clock) {
  auto header = std::make_shared<View>(Rect{0, 0, 410, 124});

  header->addSubview(makeLabel("Velto Meetings Reminder", {18, 101, 220, 16}, Font::system(11, FontWeight::semibold),
                               secondaryLabelColor()));

  auto headline = makeLabel(next ? cleanedMeetingName(next->title(), 30) : "All clear", {18, 66, 285, 31},
                            Font::system(24, FontWeight::bold), labelColor());
  headline->lineBreakMode = LineBreakMode::truncateTail;
  header->addSubview(headline);

  auto count = makeLabel(std::to_string(meetings.size()) + " / 4d", {280, 91, 92, 20},
                         Font::system(13, FontWeight::semibold), veltoBlue());
  count->alignment = TextAlignment::right;
  header->addSubview(count);

  auto detail = makeLabel(next ? headerDetailText(*next, clock.now()) : "Next 4 days are clear", {18, 42, 354, 18},
                          Font::system(12, FontWeight::regular), secondaryLabelColor());
  detail->lineBreakMode = LineBreakMode::truncateTail;
  header->addSubview(detail);

  auto timeline = std::make_shared<TimelineView>(Rect{18, 14, 354, 16}, clock);
  timeline->meetings = meetings;
  header->addSubview(timeline);
  return header;
}

std::shared_ptr<View> makeStatusCardView(const std::string& title, const std::string& subtitle,
                                         const std::string& detail) {
  auto card = std::make_shared<View>(Rect{0, 0, 390, 88});
  card->addSubview(makeLabel(title, {18, 58, 340, 24}, Font::system(17, FontWeight::bold), labelColor()));
  card->addSubview(makeLabel(subtitle, {18, 35, 340, 18}, Font::system(13, FontWeight::semibold), labelColor()));
  card->addSubview(makeLabel(detail, {18, 14, 340, 18}, Font::system(12, FontWeight::regular), secondaryLabelColor()));
  return card;
}

std::string headerDetailText(const MeetingItem& item, Instant now) {
  std::string lead =
      item.isHappeningNow(now) ? "Live now" : startsInText(secondsBetween(now, item.event->startDate));
  return lead + " \u2022 " + timeRange(*item.event);
}

MenuItem AppDelegate::headerView() const {
  MenuItem item;
  item.kind = MenuItem::Kind::view;
  item.view = makeHeaderView(meetings, nextMeeting(), platform_.clock);
  return item;
}

MenuItem AppDelegate::statusCard(const std::string& title, const std::string& subtitle,
                                 const std::string& detail) const {
  MenuItem item;
  item.kind = MenuItem::Kind::view;
  item.view = makeStatusCardView(title, subtitle, detail);
  return item;
}

std::string AppDelegate::headerDetailText(const MeetingItem& item) const {
  return CorlaMeetings::headerDetailText(item, now());
}

}  // namespace CorlaMeetings
