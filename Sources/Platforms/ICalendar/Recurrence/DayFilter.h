#pragma once

#include <chrono>
#include <cstdint>

namespace CorlaMeetings {

// The local days an occurrence of a rule can start on, as far as its BYMONTH, BYMONTHDAY
// and BYDAY parts (or the DTSTART they default to) say: what lets a query skip a series
// that cannot reach its window without asking libical. Conservative: it may allow days the
// rule never gives, never the other way round.
struct DayFilter {
  std::uint16_t months = 0;     // bit m for month m; 0: any month
  std::uint32_t monthDays = 0;  // bit d for day d of the month; 0: any day
  std::uint8_t weekdays = 0;    // bit w for std::chrono::weekday w (0 is Sunday); 0: any

  bool allows(std::chrono::local_days day) const;
  bool allowsAnyOf(std::chrono::local_days first, std::chrono::local_days last) const;
};

}  // namespace CorlaMeetings
