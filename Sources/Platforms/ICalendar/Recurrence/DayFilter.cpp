#include "ICalendar/Recurrence/DayFilter.h"

namespace CorlaMeetings {

using namespace std::chrono;

bool DayFilter::allows(local_days day) const {
  const year_month_day date(day);
  if (months != 0 && !(months & (1u << static_cast<unsigned>(date.month())))) return false;
  if (monthDays != 0 && !(monthDays & (1u << static_cast<unsigned>(date.day())))) return false;
  if (weekdays != 0 && !(weekdays & (1u << weekday(day).c_encoding()))) return false;
  return true;
}

bool DayFilter::allowsAnyOf(local_days first, local_days last) const {
  if (months == 0 && monthDays == 0 && weekdays == 0) return true;
  // Past a year every month and weekday has come round; no need to look day by day.
  if (last - first > days(400)) return true;
  for (local_days day = first; day <= last; day += days(1)) {
    if (allows(day)) return true;
  }
  return false;
}

}  // namespace CorlaMeetings
