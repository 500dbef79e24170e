#pragma once

#include <gtest/gtest.h>
#include <unicode/basictz.h>
#include <unicode/tzrule.h>
#include <unicode/tztrans.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "Simulated/RecordingGraphicsContext.h"
#include "Simulated/SimulatedClock.h"
#include "Support/LocalTime.h"
#include "meetings/MeetingItem.h"
#include "ui/HeaderView.h"
#include "ui/MeetingCardView.h"
#include "ui/View.h"

// Helpers for the view, menu and local-day tests.
namespace CorlaMeetings::Testing {

struct ClockChange {
  Instant at;
  std::chrono::milliseconds shift;  // positive when the clocks go forward
};

// The default zone's first two clock changes of 2026, as its rules state them.
inline std::vector<ClockChange> clockChangesOf2026() {
  std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createDefault());
  auto* rules = dynamic_cast<icu::BasicTimeZone*>(zone.get());
  const auto newYear = std::chrono::floor<std::chrono::milliseconds>(localTime(2026, 1, 1).time_since_epoch());
  auto after = static_cast<UDate>(newYear.count());
  const auto offset = [](const icu::TimeZoneRule* rule) { return rule->getRawOffset() + rule->getDSTSavings(); };
  std::vector<ClockChange> changes;
  for (icu::TimeZoneTransition next; rules && changes.size() < 2 && rules->getNextTransition(after, false, next);) {
    after = next.getTime();
    changes.push_back({Instant(std::chrono::milliseconds(static_cast<std::int64_t>(after))),
                       std::chrono::milliseconds(offset(next.getTo()) - offset(next.getFrom()))});
  }
  return changes;
}

// The view tree as text, a line a view indented by depth: kind, frame (bottom-left origin),
// background, and a label's font, colour, line break and text or a button's title. One
// snapshot of it pins a whole layout in one place.
inline std::string layoutOf(const View& view, int depth = 0) {
  const auto colorName = [](const Color& c) {
    if (c == veltoBlue()) return "blue";
    if (c == veltoLime()) return "lime";
    if (c == labelColor()) return "label";
    if (c == secondaryLabelColor()) return "secondary";
    return "other";
  };
  std::ostringstream out;
  const Rect& f = view.frame();
  const char* kind = dynamic_cast<const HeaderView*>(&view)        ? "Header"
                     : dynamic_cast<const MeetingCardView*>(&view) ? "MeetingCard"
                     : dynamic_cast<const StatusCardView*>(&view)  ? "StatusCard"
                     : dynamic_cast<const TimelineView*>(&view)    ? "Timeline"
                     : dynamic_cast<const Label*>(&view)           ? "Label"
                     : dynamic_cast<const Button*>(&view)          ? "Button"
                                                                   : "View";
  out << std::string(2 * depth, ' ') << kind << " {" << f.x << " " << f.y << " " << f.width << " " << f.height << "}";
  if (view.backgroundColor) out << " on " << colorName(*view.backgroundColor) << " radius " << view.cornerRadius;
  if (const auto* label = dynamic_cast<const Label*>(&view)) {
    const char* weights[] = {"", " semibold", " bold"};
    out << " " << label->font.size << weights[int(label->font.weight)] << (label->font.monospacedDigits ? " mono" : "")
        << " " << colorName(label->textColor) << (label->lineBreakMode == LineBreakMode::truncateTail ? " tail" : "")
        << (label->alignment == TextAlignment::right ? " right" : "") << " \"" << label->text << "\"";
  }
  if (const auto* button = dynamic_cast<const Button*>(&view)) out << " \"" << button->title << "\"";
  out << "\n";
  for (const auto& subview : view.subviews()) out << layoutOf(*subview, depth + 1);
  return out.str();
}

inline MeetingItem meeting(Instant start, Instant end, std::optional<std::string> location = std::nullopt,
                           std::optional<std::string> link = std::nullopt, std::string title = "Design review") {
  auto event = std::make_shared<CalendarEvent>();
  event->title = std::move(title);
  event->startDate = start;
  event->endDate = end;
  event->location = std::move(location);
  return MeetingItem{std::move(event), link ? Url::parse(*link) : std::nullopt};
}

}  // namespace CorlaMeetings::Testing
