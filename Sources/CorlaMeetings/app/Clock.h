#pragma once

#include "app/Time.h"

namespace CorlaMeetings {

// The wall clock people read. Main thread.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual Instant now() const = 0;
};

}  // namespace CorlaMeetings
