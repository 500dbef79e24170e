#pragma once

#include <algorithm>
#include <chrono>

#include "app/Clock.h"

namespace CorlaMeetings {

// Virtual time as a machine keeps it, in two clocks. The monotonic clock drives timers and
// only ever moves forward. The wall clock, the one people read, moves with it as time passes
// and can also be set or jump on its own: that is what a user or a time server changing the
// time looks like, and, since the monotonic clock does not count a suspend, a resume too.
// Main thread.
class SimulatedClock : public Clock {
 public:
  // A reading of the monotonic clock: only the difference of two means anything.
  using Ticks = std::chrono::time_point<std::chrono::steady_clock, Duration>;

  explicit SimulatedClock(Instant start = Instant{}) : now_(start) {}

  Instant now() const override { return now_; }
  Ticks ticks() const { return ticks_; }

  // Time passes: both clocks move on by `d`. Negative counts as 0.
  void advance(Duration d) {
    d = std::max(d, Duration::zero());
    ticks_ += d;
    now_ += d;
  }
  // The wall clock alone moves by `d`, either way; timers keep their time.
  void jumpWallClock(Duration d) { now_ += d; }
  // The wall clock alone is set to `instant`.
  void set(Instant instant) { now_ = instant; }

 private:
  Instant now_;
  Ticks ticks_{};
};

}  // namespace CorlaMeetings
