#pragma once

#include <cmath>
#include <memory>

#include <unicode/calendar.h>

#include "app/Time.h"

namespace CorlaMeetings::Testing {

// The instant of a local wall-clock time in the process's time zone (TZ).
inline Instant localTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(status));
  calendar->clear();
  calendar->set(year, month - 1, day, hour, minute, second);
  UDate millis = calendar->getTime(status);
  return Instant{std::chrono::microseconds{static_cast<long long>(std::llround(millis * 1000))}};
}

inline Instant seconds(Instant base, double offset) { return addingSeconds(base, offset); }

}  // namespace CorlaMeetings::Testing
