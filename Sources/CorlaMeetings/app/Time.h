#pragma once

#include <chrono>

namespace CorlaMeetings {

// A point on the wall clock. Microseconds keep sub-second thresholds exact in tests
// while leaving ±290,000 years of range.
using Instant = std::chrono::sys_time<std::chrono::microseconds>;

// Floating-point seconds, the unit of every difference the behaviour compares.
inline double secondsBetween(Instant from, Instant to) {
  return std::chrono::duration<double>(to - from).count();
}

inline Instant addingSeconds(Instant t, double seconds) {
  return t + std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::duration<double>(seconds));
}

}  // namespace CorlaMeetings
