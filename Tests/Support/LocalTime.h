#pragma once

#include <unicode/calendar.h>
#include <unicode/timezone.h>

#include <chrono>
#include <cmath>
#include <memory>

#include "app/Time.h"

namespace CorlaMeetings::Testing {

// The instant of a local wall-clock time in ICU's default zone (TZ, unless a test swapped it).
inline Instant localTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(status));
  calendar->clear();
  calendar->set(year, month - 1, day, hour, minute, second);
  return Instant{std::chrono::microseconds{std::llround(calendar->getTime(status) * 1000)}};
}

// Makes `zone` ICU's default for one scope, as the desktop does when the system's zone changes.
class ScopedDefaultZone {
 public:
  explicit ScopedDefaultZone(const char* zone) : saved_(icu::TimeZone::createDefault()) {
    icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone(zone));
  }
  ~ScopedDefaultZone() { icu::TimeZone::adoptDefault(saved_.release()); }

 private:
  std::unique_ptr<icu::TimeZone> saved_;
};

}  // namespace CorlaMeetings::Testing
