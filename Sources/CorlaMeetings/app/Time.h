#pragma once

#include <chrono>

namespace CorlaMeetings {

// A length of time, at the resolution of an Instant so that the difference of two is exact.
// Whole microseconds keep sub-second thresholds exact in tests while leaving ±290,000 years
// of range.
using Duration = std::chrono::microseconds;

// A point on the wall clock.
using Instant = std::chrono::sys_time<Duration>;

// Durations are written as 15min, 800ms.
using namespace std::chrono_literals;

}  // namespace CorlaMeetings
