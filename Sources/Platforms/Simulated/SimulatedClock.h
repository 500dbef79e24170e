#pragma once

#include "app/Clock.h"

namespace CorlaMeetings {

// A wall clock that moves only when told to. Main thread. Setting it backwards is allowed:
// that is what a user changing the system time looks like.
class SimulatedClock : public Clock {
 public:
  explicit SimulatedClock(Instant start = Instant{}) : now_(start) {}

  Instant now() const override { return now_; }

  void set(Instant instant) { now_ = instant; }
  // Moves the clock by `seconds`; negative goes back. NaN does nothing.
  void advance(double seconds);

 private:
  Instant now_;
};

}  // namespace CorlaMeetings
