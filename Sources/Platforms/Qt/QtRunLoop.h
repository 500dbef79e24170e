#pragma once

#include <functional>
#include <memory>

#include "app/RunLoop.h"

class QObject;

namespace CorlaMeetings {

// The main thread's Qt event loop. Create it on the main thread once a QCoreApplication
// exists; its jobs run while that thread runs the application's event loop.
//
// Tolerance picks Qt's timer type. Qt has no tolerance in seconds, only a choice of
// precision: a coarse timer may fire up to 5% of its interval early or late, which lets the
// system batch wake-ups. So a timer turns coarse when its tolerance covers that 5%, and stays
// precise (to the millisecond) otherwise, tolerance 0 included. A change of type restarts
// the current period, which is harmless right after scheduling, where callers set it.
//
// QTimer counts monotonic time in whole milliseconds. Durations are rounded up to them, so
// nothing runs early; timer intervals run from 1 ms, delays from 0, both up to about 24 days
// (what a QTimer takes).
//
// Handles own their QTimer through a guarded pointer: invalidating, cancelling or
// destroying one is safe from inside its own action and after the loop is gone, in any
// order. Jobs still pending when the loop is destroyed never run, posted tasks included.
class QtRunLoop : public RunLoop {
 public:
  QtRunLoop();
  ~QtRunLoop() override;
  QtRunLoop(const QtRunLoop&) = delete;
  QtRunLoop& operator=(const QtRunLoop&) = delete;

  std::unique_ptr<Timer> scheduleRepeatingTimer(Duration interval, std::function<void()> action) override;
  std::unique_ptr<DelayedWork> runAfter(Duration delay, std::function<void()> work) override;
  // Any thread, as long as this loop exists.
  void postTask(std::function<void()> task) override;

 private:
  // Lives on the main thread: the parent of every timer and the receiver of posted tasks.
  std::unique_ptr<QObject> context_;
};

}  // namespace CorlaMeetings
