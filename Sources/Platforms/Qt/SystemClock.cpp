#include "Qt/SystemClock.h"

#include <chrono>

namespace CorlaMeetings {

Instant SystemClock::now() const {
  return std::chrono::floor<std::chrono::microseconds>(std::chrono::system_clock::now());
}

}  // namespace CorlaMeetings
