#pragma once

#include <unicode/basictz.h>
#include <unicode/calendar.h>
#include <unicode/timezone.h>
#include <unicode/tzrule.h>
#include <unicode/tztrans.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Clock.h"
#include "app/GraphicsContext.h"
#include "meetings/MeetingItem.h"

// Helpers for the view and local-day tests. Their own namespace keeps them apart from
// other tests' fakes of the same name.
namespace CorlaMeetings::viewtest {

class RecordingGraphicsContext : public GraphicsContext {
 public:
  struct Fill {
    Rect rect;
    double xRadius;
    double yRadius;
    Color color;
  };

  void fillRoundedRect(const Rect& rect, double xRadius, double yRadius, const Color& color) override {
    fills.push_back({rect, xRadius, yRadius, color});
  }

  std::vector<Fill> fills;
};

class FixedClock : public Clock {
 public:
  explicit FixedClock(Instant start) : time(start) {}
  Instant now() const override { return time; }

  Instant time;
};

inline Instant fromMillis(UDate millis) {
  return Instant(std::chrono::milliseconds(static_cast<std::int64_t>(millis)));
}

inline UDate toMillis(Instant t) {
  return static_cast<UDate>(std::chrono::floor<std::chrono::milliseconds>(t.time_since_epoch()).count());
}

// A wall-clock time in the zone the tests run in (TZ); month 1 is January.
inline Instant localTime(int year, int month, int day, int hour = 0, int minute = 0) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(status));
  calendar->clear();
  calendar->set(year, month - 1, day, hour, minute, 0);
  return fromMillis(calendar->getTime(status));
}

// A clock change of the default zone, as its rules state it.
struct ClockChange {
  Instant at;
  std::chrono::milliseconds shift;  // positive when the clocks go forward
};

inline std::optional<ClockChange> nextClockChange(Instant after) {
  std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createDefault());
  auto* rules = dynamic_cast<icu::BasicTimeZone*>(zone.get());
  icu::TimeZoneTransition transition;
  if (!rules || !rules->getNextTransition(toMillis(after), false, transition)) return std::nullopt;
  const auto offset = [](const icu::TimeZoneRule* rule) { return rule->getRawOffset() + rule->getDSTSavings(); };
  return ClockChange{fromMillis(transition.getTime()),
                     std::chrono::milliseconds(offset(transition.getTo()) - offset(transition.getFrom()))};
}

inline MeetingItem meeting(Instant start, Instant end, std::optional<std::string> location = std::nullopt,
                           std::optional<std::string> link = std::nullopt) {
  auto event = std::make_shared<CalendarEvent>();
  event->title = "Design review";
  event->startDate = start;
  event->endDate = end;
  event->location = std::move(location);
  return MeetingItem{std::move(event), link ? Url::parse(*link) : std::nullopt};
}

}  // namespace CorlaMeetings::viewtest
