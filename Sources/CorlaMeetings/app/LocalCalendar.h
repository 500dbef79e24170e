#pragma once

#include "app/Time.h"

namespace CorlaMeetings {

// Local calendar days in the user's time zone (ICU's default zone, from TZ or the system).
namespace LocalCalendar {

// Local midnight of the day that contains `t` (the first valid instant of that day where a
// clock change skips midnight).
Instant startOfDay(Instant t);

// `t` moved by whole calendar days: local wall-clock time is kept across a daylight-saving
// change, so a day may be 23 or 25 hours long.
Instant addingDays(Instant t, int days);

}  // namespace LocalCalendar
}  // namespace CorlaMeetings
