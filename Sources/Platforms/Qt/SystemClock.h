#pragma once

#include "app/Clock.h"

namespace CorlaMeetings {

// The machine's wall clock, cut to the microseconds an Instant holds. It follows the
// system time, jumps included. Any thread.
class SystemClock : public Clock {
 public:
  Instant now() const override;
};

}  // namespace CorlaMeetings
