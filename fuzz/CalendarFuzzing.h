#pragma once

#include <libical/ical.h>
#include <unicode/locid.h>

#include <cstdlib>
#include <ctime>
#include <mutex>

#include "ICalendar/Libical/LibicalLock.h"

namespace CorlaMeetings::Fuzzing {

// Floating times are read in the process's zone: fixed, so an input behaves the same on
// every run. Berlin has clock changes to trip over.
inline void fixZoneAndLocale() {
  setenv("TZ", "Europe/Berlin", 1);
  tzset();
  UErrorCode status = U_ZERO_ERROR;
  icu::Locale::setDefault(icu::Locale("en_US"), status);
}

// libical keeps the texts it hands out in a ring of temporary buffers, allocated as they are
// first used: mallocs and frees of one input then rarely balance, and libFuzzer runs
// LeakSanitizer after every input where they do not, which cuts the speed to an eighth.
// Emptying the ring after each input keeps them balanced.
inline void emptyLibicalRing() {
  std::lock_guard<std::mutex> lock(libicalMutex());
  icalmemory_free_ring();
}

}  // namespace CorlaMeetings::Fuzzing
