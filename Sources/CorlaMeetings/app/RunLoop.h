#pragma once

#include <functional>
#include <memory>

namespace CorlaMeetings {

// A repeating timer. Destroying the handle invalidates the timer.
class Timer {
 public:
  virtual ~Timer() = default;
  // Firing may come up to `seconds` late, which lets the system batch wake-ups.
  virtual void setTolerance(double seconds) = 0;
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
class RunLoop {
 public:
  virtual ~RunLoop() = default;
  // `action` runs on the main thread every `intervalSeconds` until invalidated.
  virtual std::unique_ptr<Timer> scheduleRepeatingTimer(double intervalSeconds, std::function<void()> action) = 0;
  // `work` runs on the main thread once `delaySeconds` have passed, unless cancelled.
  virtual std::unique_ptr<DelayedWork> runAfter(double delaySeconds, std::function<void()> work) = 0;
  // Any thread. `task` runs on the main thread as a job of its own, after the current one.
  virtual void postTask(std::function<void()> task) = 0;
};

}  // namespace CorlaMeetings
