#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "Simulated/SimulatedClock.h"
#include "app/RunLoop.h"

namespace CorlaMeetings {

// A run loop on virtual time. Nothing runs by itself: a test or a demo calls one of the run
// methods, which run the due jobs (timer firings, delayed work, posted tasks) one at a time
// in time order, moving the clock to each job's time first.
//
// Order: by the time a job is due; jobs due at the same time run in the order they were
// scheduled (a repeating timer counts as scheduled again each time it fires). A posted task
// is due when the loop gets to it, so it runs before the clock moves on.
//
// Jobs are due on the clock's monotonic time, as real timers are: setting or jumping the wall
// clock neither fires nor postpones anything. Advancing the clock (both clocks) past due
// times makes those jobs due at once.
//
// Repeating timers keep the grid of their first due time: each firing is planned one
// interval after the previous planned one, however late that one ran, so lateness never
// accumulates. Periods missed outright (the clock was advanced past them) are skipped, not
// caught up. A timer fires `lateness × tolerance` after its planned time (see setTimerLateness).
//
// Handles hold the loop's state weakly: either may outlive the other. Invalidating,
// cancelling or destroying a handle is safe at any time, including from inside a job and
// from the timer's own action.
//
// Threads: postTask and pendingTaskCount from any thread; everything else on the thread
// that runs the loop, which plays the main thread.
class SimulatedRunLoop : public RunLoop {
 public:
  // Fire times as the wall clock will read them, if it does not jump meanwhile.
  struct TimerInfo {
    Duration interval{0};
    Duration tolerance{0};
    Instant plannedFireTime;  // when it is due on time
    Instant fireTime;         // when this loop will fire it, lateness included
  };

  // Below this a repeating timer's interval is raised to it, so that no timer can pin the
  // loop at one instant.
  static constexpr Duration kShortestTimerInterval = std::chrono::milliseconds(1);
  // How many jobs one run call may run.
  static constexpr std::size_t kJobLimit = 1'000'000;

  explicit SimulatedRunLoop(SimulatedClock& clock);
  ~SimulatedRunLoop() override;
  SimulatedRunLoop(const SimulatedRunLoop&) = delete;
  SimulatedRunLoop& operator=(const SimulatedRunLoop&) = delete;

  // A negative delay counts as 0: the work runs on the next turn of the loop. A delay too
  // long for the clock (Duration::max()) means never.
  std::unique_ptr<Timer> scheduleRepeatingTimer(Duration interval, std::function<void()> action) override;
  std::unique_ptr<DelayedWork> runAfter(Duration delay, std::function<void()> work) override;
  void postTask(std::function<void()> task) override;

  // Each lets time pass and runs every job due by its end, then leaves the clock at the end
  // if it is still earlier. They return false when they gave up at the job limit instead
  // (say, a task that keeps posting itself): the clock then stays at the last job's time
  // and the rest stays pending.
  bool runFor(Duration d);
  bool runUntil(Instant end);  // until the wall clock reads `end`, if it does not jump meanwhile
  bool runUntilIdle();         // only what is due now, tasks posted meanwhile included

  // 0 fires timers on time (the default), 1 at their full tolerance late, values in between
  // in proportion; clamped to [0, 1]. Applies to every timer from its next firing.
  void setTimerLateness(double fraction);

  std::size_t pendingTaskCount() const;
  std::size_t liveTimerCount() const;
  std::size_t pendingWorkCount() const;
  std::vector<TimerInfo> liveTimers() const;  // in the order they were created
  std::uint64_t totalTimerFirings() const;

 private:
  struct State;
  class TimerHandle;
  class WorkHandle;

  bool runUntilTicks(SimulatedClock::Ticks end);

  SimulatedClock& clock_;
  std::shared_ptr<State> state_;
};

}  // namespace CorlaMeetings
