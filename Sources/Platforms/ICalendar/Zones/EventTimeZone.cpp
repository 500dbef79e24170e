#include "ICalendar/Zones/EventTimeZone.h"

#include "ICalendar/Zones/DefinedTimeZone.h"

namespace CorlaMeetings {

using std::chrono::floor;
using std::chrono::microseconds;
using std::chrono::milliseconds;
using std::chrono::seconds;
using std::chrono::sys_seconds;

EventTimeZone::EventTimeZone(std::unique_ptr<icu::TimeZone> zone)
    : zone_(std::move(zone)), basic_(dynamic_cast<const icu::BasicTimeZone*>(zone_.get())) {}

EventTimeZone::EventTimeZone(std::unique_ptr<DefinedTimeZone> zone) : defined_(std::move(zone)) {}

EventTimeZone::~EventTimeZone() = default;

const EventTimeZone& EventTimeZone::utc() {
  // Never destroyed: queries on other threads may still use it while the process exits.
  static const EventTimeZone* zone =
      new EventTimeZone(std::unique_ptr<icu::TimeZone>(icu::TimeZone::getGMT()->clone()));
  return *zone;
}

std::unique_ptr<EventTimeZone> EventTimeZone::current() {
  return std::make_unique<EventTimeZone>(std::unique_ptr<icu::TimeZone>(icu::TimeZone::createDefault()));
}

std::string EventTimeZone::currentId() {
  std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createDefault());
  icu::UnicodeString id;
  std::string text;
  zone->getID(id).toUTF8String(text);
  return text;
}

Instant EventTimeZone::instantAt(LocalSeconds local) const {
  if (defined_) return definedInstantAt(local);
  const UDate localMillis = static_cast<UDate>(local.time_since_epoch().count()) * 1000.0;
  int32_t raw = 0;
  int32_t dst = 0;
  UErrorCode status = U_ZERO_ERROR;
  if (basic_) {
    basic_->getOffsetFromLocal(localMillis, UCAL_TZ_LOCAL_FORMER, UCAL_TZ_LOCAL_FORMER, raw, dst, status);
  } else {
    zone_->getOffset(localMillis, true, raw, dst, status);
  }
  if (U_FAILURE(status)) raw = dst = 0;
  return Instant(microseconds(local.time_since_epoch()) - milliseconds(raw + dst));
}

LocalSeconds EventTimeZone::localAt(Instant t) const {
  if (defined_) return LocalSeconds(floor<seconds>(t.time_since_epoch()) + defined_->offsetAt(t));
  const auto millis = floor<milliseconds>(t.time_since_epoch());
  int32_t raw = 0;
  int32_t dst = 0;
  UErrorCode status = U_ZERO_ERROR;
  zone_->getOffset(static_cast<UDate>(millis.count()), false, raw, dst, status);
  if (U_FAILURE(status)) raw = dst = 0;
  return LocalSeconds(floor<seconds>(t.time_since_epoch() + milliseconds(raw + dst)));
}

// A defined zone knows only the offset at an instant. The offsets a day before and a day
// after are the candidates: one that holds at the instant it gives is the answer (both do
// for a time the clocks pass twice, whose first passing is meant); when neither does, the
// clocks skip the time, and it is read with the offset from before the change.
Instant EventTimeZone::definedInstantAt(LocalSeconds local) const {
  const sys_seconds asUtc(local.time_since_epoch());
  const seconds before = defined_->offsetAt(asUtc - std::chrono::days(1));
  const seconds after = defined_->offsetAt(asUtc + std::chrono::days(1));
  const sys_seconds byBefore = asUtc - before;
  const sys_seconds byAfter = asUtc - after;
  const bool beforeHolds = defined_->offsetAt(byBefore) == before;
  const bool afterHolds = before != after && defined_->offsetAt(byAfter) == after;
  if (afterHolds && (!beforeHolds || byAfter < byBefore)) return byAfter;
  return byBefore;
}

}  // namespace CorlaMeetings
