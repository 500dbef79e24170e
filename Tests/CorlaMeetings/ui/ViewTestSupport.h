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

#include "Simulated/RecordingGraphicsContext.h"
#include "Simulated/SimulatedClock.h"
#include "Support/LocalTime.h"
#include "meetings/MeetingItem.h"

// Helpers for the view and local-day tests. Their own namespace keeps them apart from
// other tests' fakes of the same name.
namespace CorlaMeetings::viewtest {

// The shared stand-ins, under the names these tests use.
using CorlaMeetings::RecordingGraphicsContext;
using FixedClock = SimulatedClock;
using Testing::localTime;

inline Instant fromMillis(UDate millis) {
  return Instant(std::chrono::milliseconds(static_cast<std::int64_t>(millis)));
}

inline UDate toMillis(Instant t) {
  return static_cast<UDate>(std::chrono::floor<std::chrono::milliseconds>(t.time_since_epoch()).count());
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
