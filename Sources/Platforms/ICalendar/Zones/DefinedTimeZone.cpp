#include "ICalendar/Zones/DefinedTimeZone.h"

#include <libical/ical.h>

#include <algorithm>
#include <mutex>

#include "ICalendar/Libical/IcalTime.h"
#include "ICalendar/Libical/LibicalLock.h"

namespace CorlaMeetings {

using namespace std::chrono;

namespace {

// Whether libical read every observance whole: a STANDARD or DAYLIGHT with a DTSTART and
// both offsets, and no property it had to drop (an unreadable RRULE or RDATE would leave
// an onset out). libical's expansion skips what it cannot use without a word.
bool observancesReadWhole(icalcomponent* zone) {
  int observances = 0;
  for (icalcomponent* observance = icalcomponent_get_first_component(zone, ICAL_ANY_COMPONENT); observance;
       observance = icalcomponent_get_next_component(zone, ICAL_ANY_COMPONENT)) {
    const icalcomponent_kind kind = icalcomponent_isa(observance);
    if (kind != ICAL_XSTANDARD_COMPONENT && kind != ICAL_XDAYLIGHT_COMPONENT) return false;
    icalproperty* start = icalcomponent_get_first_property(observance, ICAL_DTSTART_PROPERTY);
    if (!start || icaltime_is_null_time(icalproperty_get_dtstart(start)) ||
        !icalcomponent_get_first_property(observance, ICAL_TZOFFSETTO_PROPERTY) ||
        !icalcomponent_get_first_property(observance, ICAL_TZOFFSETFROM_PROPERTY) ||
        icalcomponent_get_first_property(observance, ICAL_XLICERROR_PROPERTY)) {
      return false;
    }
    ++observances;
  }
  return observances > 0;
}

// libical expands a zone's changes up to five years past the year asked, but never past
// 2582; asked about a later year, it expands them all again on every call. Calendars repeat
// every 400 years (146,097 days, whole weeks), and so do yearly rules: a later instant is
// asked about as many 400 years earlier as it takes.
constexpr sys_seconds kLastAsked = sys_days(year(2577) / December / 31);
constexpr sys_seconds kFirstAsked = sys_days(year(1) / January / 1);
constexpr days kGregorianCycle{146097};

sys_seconds withinExpansion(sys_seconds at) {
  if (at > kLastAsked) at -= kGregorianCycle * ((floor<days>(at) - floor<days>(kLastAsked)) / kGregorianCycle + 1);
  return std::max(at, kFirstAsked);
}

}  // namespace

std::unique_ptr<DefinedTimeZone> DefinedTimeZone::read(const std::string& text) {
  std::lock_guard<std::mutex> lock(libicalMutex());
  std::unique_ptr<icalcomponent, decltype(&icalcomponent_free)> component(icalparser_parse_string(text.c_str()),
                                                                          &icalcomponent_free);
  icalerror_clear_errno();
  if (!component || icalcomponent_isa(component.get()) != ICAL_VTIMEZONE_COMPONENT ||
      !observancesReadWhole(component.get())) {
    return nullptr;
  }
  icaltimezone* zone = icaltimezone_new();
  if (!zone) return nullptr;
  if (!icaltimezone_set_component(zone, component.get())) {
    icaltimezone_free(zone, 1);
    icalerror_clear_errno();
    return nullptr;
  }
  component.release();  // the zone's now
  icaltimetype now = toIcalTime(LocalSeconds(floor<seconds>(system_clock::now().time_since_epoch())));
  int isDaylight = 0;
  icaltimezone_get_utc_offset_of_utc_time(zone, &now, &isDaylight);
  icalerror_clear_errno();
  return std::unique_ptr<DefinedTimeZone>(new DefinedTimeZone(zone));
}

DefinedTimeZone::~DefinedTimeZone() {
  std::lock_guard<std::mutex> lock(libicalMutex());
  icaltimezone_free(zone_, 1);
}

seconds DefinedTimeZone::offsetAt(Instant t) const {
  icaltimetype time = toIcalTime(LocalSeconds(withinExpansion(floor<seconds>(t)).time_since_epoch()));
  std::lock_guard<std::mutex> lock(libicalMutex());
  int isDaylight = 0;
  const int offset = icaltimezone_get_utc_offset_of_utc_time(zone_, &time, &isDaylight);
  return seconds(offset);
}

}  // namespace CorlaMeetings
