#pragma once

#include <libical/ical.h>

#include <optional>

#include "ICalendar/Zones/EventTimeZone.h"

namespace CorlaMeetings {

// Wall-clock times to and from libical's struct, with no zone attached: libical's own zone
// handling is never used (ICU's is), so every time given to it is floating.

inline icaltimetype toIcalTime(LocalSeconds local) {
  using namespace std::chrono;
  const local_days day = floor<days>(local);
  const year_month_day date(day);
  const hh_mm_ss time(local - day);
  icaltimetype result = icaltime_null_time();
  result.year = static_cast<int>(date.year());
  result.month = static_cast<int>(static_cast<unsigned>(date.month()));
  result.day = static_cast<int>(static_cast<unsigned>(date.day()));
  result.hour = static_cast<int>(time.hours().count());
  result.minute = static_cast<int>(time.minutes().count());
  result.second = static_cast<int>(time.seconds().count());
  result.is_date = 0;
  result.zone = nullptr;
  return result;
}

// Nothing for the null time and for fields no calendar can mean. A leap second reads as
// the second before it.
inline std::optional<LocalSeconds> fromIcalTime(const icaltimetype& time) {
  using namespace std::chrono;
  if (icaltime_is_null_time(time)) return std::nullopt;
  const year_month_day date{year(time.year), month(static_cast<unsigned>(time.month)),
                            day(static_cast<unsigned>(time.day))};
  if (time.year < 1 || time.year > 9999 || time.month < 1 || time.day < 1 || !date.ok()) return std::nullopt;
  if (time.is_date) return LocalSeconds(local_days(date));
  if (time.hour < 0 || time.hour > 23 || time.minute < 0 || time.minute > 59 || time.second < 0 || time.second > 60) {
    return std::nullopt;
  }
  return LocalSeconds(local_days(date)) + hours(time.hour) + minutes(time.minute) +
         seconds(time.second == 60 ? 59 : time.second);
}

}  // namespace CorlaMeetings
