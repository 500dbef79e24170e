#pragma once

#include <algorithm>
#include <cmath>

#include "app/Time.h"

namespace CorlaMeetings {

// About 31,700 years: far beyond any delay the application asks for, far inside the range
// of an Instant.
inline constexpr double kLongestSimulatedSeconds = 1e12;

// `seconds` made safe to add to an Instant: NaN counts as 0 and magnitudes stop at
// kLongestSimulatedSeconds, so a careless value can neither overflow nor reach an undefined
// floating-point conversion.
inline double clampedSeconds(double seconds) {
  if (std::isnan(seconds)) return 0;
  return std::clamp(seconds, -kLongestSimulatedSeconds, kLongestSimulatedSeconds);
}

inline Instant addingClampedSeconds(Instant t, double seconds) { return addingSeconds(t, clampedSeconds(seconds)); }

}  // namespace CorlaMeetings
