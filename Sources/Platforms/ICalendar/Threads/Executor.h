#pragma once

#include <functional>

#include "app/Time.h"

namespace CorlaMeetings {

// Where a store's slow work runs: jobs one at a time, in the order posted, each to its end.
// SerialWorker runs them on a thread of its own; LoopExecutor on a run loop's thread, which
// in tests is a simulated loop, so that a store's work runs when the test runs the loop and
// takes no real time. Destroying an executor drops the jobs not started and waits for the
// one running.
class Executor {
 public:
  virtual ~Executor() = default;
  // Any thread.
  virtual void post(std::function<void()> job) = 0;
  // `job`, once `delay` has passed. From the executor's own jobs.
  virtual void postAfter(Duration delay, std::function<void()> job) = 0;
};

}  // namespace CorlaMeetings
