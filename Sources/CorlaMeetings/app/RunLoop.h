#pragma once

#include <functional>
#include <memory>

#include "app/Time.h"

namespace CorlaMeetings {

// A repeating timer. Destroying the handle invalidates the timer.
class Timer {
 public:
  virtual ~Timer() = default;
  // Firing may come up to `tolerance` late, which lets the system batch wake-ups.
  virtual void setTolerance(Duration tolerance) = 0;
  // After this the action never runs again.
  virtual void invalidate() = 0;
};

// Work to run once after a delay. Destroying the handle cancels it.
class DelayedWork {
 public:
  virtual ~DelayedWork() = default;
  // Work that has not started never runs; work that ran is not affected.
  virtual void cancel() = 0;
};

// The main thread's event loop. Every call is made on the main thread except postTask.
//
// Timers and delays count monotonic time, never the wall clock: setting the clock neither
// fires nor holds back a timer. Whoever must follow the wall clock listens for the system's
// time-change signal instead.
class RunLoop {
 public:
  virtual ~RunLoop() = default;
  // `action` runs on the main thread every `interval` until invalidated.
  virtual std::unique_ptr<Timer> scheduleRepeatingTimer(Duration interval, std::function<void()> action) = 0;
  // `work` runs on the main thread once `delay` has passed, unless cancelled.
  virtual std::unique_ptr<DelayedWork> runAfter(Duration delay, std::function<void()> work) = 0;
  // Any thread. `task` runs on the main thread as a job of its own, after the current one.
  virtual void postTask(std::function<void()> task) = 0;
};

}  // namespace CorlaMeetings
