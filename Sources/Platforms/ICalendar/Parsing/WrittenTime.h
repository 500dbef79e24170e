#pragma once

#include <string>

#include "ICalendar/Zones/EventTimeZone.h"

namespace CorlaMeetings {

// A DATE or DATE-TIME value as written in a calendar.
struct WrittenTime {
  LocalSeconds local{};  // a DATE at its midnight
  bool isDate = false;
  bool isUtc = false;  // ends in "Z": UTC, whatever TZID says
  std::string tzid;    // the TZID parameter; empty when none is given
};

}  // namespace CorlaMeetings
