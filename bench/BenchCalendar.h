#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "HeavyCalendar.h"
#include "app/CalendarStore.h"
#include "app/Time.h"

namespace CorlaMeetings::Bench {

// The heavy calendar as the benchmarks use it: made once per process around a fixed day,
// so that every run measures the same events.
const std::vector<CalendarObject>& heavyObjects();
const std::string& heavyText();

// The same calendar on disk, written on first use into a fresh folder under $TMPDIR and
// removed when the process ends: `heavyFile()` as one .ics, `heavyVdir()` one file per UID.
const std::filesystem::path& heavyFile();
const std::filesystem::path& heavyVdir();

// The moment the benchmarks refresh at (an afternoon of the fixed day), and the window a
// refresh then loads: local midnight to local midnight four days later.
Instant benchNow();
Instant windowStart();
Instant windowEnd();

// The core of AppDelegate::refreshMeetings over a store: query the window, drop all-day
// events, sort, detect links. The number of links found.
std::size_t queryAndDetect(CalendarStore& store, Instant start, Instant end);

}  // namespace CorlaMeetings::Bench
