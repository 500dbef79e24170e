#include "Simulated/SimulatedRunLoop.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <deque>
#include <map>
#include <mutex>
#include <utility>

namespace CorlaMeetings {

namespace {

// Shared so that a running action stays alive when its own timer is invalidated meanwhile.
using Action = std::shared_ptr<std::function<void()>>;

using Ticks = SimulatedClock::Ticks;

// `from + d` for a `d` of at least 0, held at the end of time rather than wrapping around:
// so a delay of Duration::max() means never.
Ticks later(Ticks from, Duration d) { return d >= Ticks::max() - from ? Ticks::max() : from + d; }

// The first point of the timer's grid after `firedAt`: the next period, or later ones when
// the clock was advanced past some (those are skipped, not caught up).
Ticks nextPlannedTime(Ticks planned, Duration interval, Ticks firedAt) {
  Ticks next = later(planned, interval);
  if (next <= firedAt) next = later(next, ((firedAt - next) / interval + 1) * interval);
  return next;
}

}  // namespace

struct SimulatedRunLoop::State {
  // A timer or a delayed work item.
  struct Entry {
    bool repeating = false;
    std::uint64_t sequence = 0;  // ties between equal times go to the lower one
    Ticks planned;
    Duration interval{0};
    Duration tolerance{0};
    Action action;
  };
  struct Task {
    std::uint64_t sequence = 0;
    Action action;
  };
  struct Job {
    Ticks time;
    Action action;
  };

  mutable std::mutex mutex;
  std::map<std::uint64_t, Entry> entries;  // by id, which is creation order
  std::deque<Task> tasks;
  std::uint64_t nextId = 0;
  std::uint64_t nextSequence = 0;
  double lateness = 0;
  std::uint64_t timerFirings = 0;

  // Callers hold `mutex`.
  Ticks fireTime(const Entry& entry) const {
    if (!entry.repeating) return entry.planned;
    return later(entry.planned, std::chrono::duration_cast<Duration>(entry.tolerance * lateness));
  }
  std::pair<Ticks, std::uint64_t> order(const Entry& entry) const { return {fireTime(entry), entry.sequence}; }

  std::uint64_t add(Entry entry) {
    std::lock_guard lock(mutex);
    entry.sequence = nextSequence++;
    std::uint64_t id = nextId++;
    entries.emplace(id, std::move(entry));
    return id;
  }

  void remove(std::uint64_t id) {
    // Destroyed after the lock is released: the action may own handles whose destruction
    // comes back here.
    Action removed;
    {
      std::lock_guard lock(mutex);
      auto it = entries.find(id);
      if (it == entries.end()) return;
      removed = std::move(it->second.action);
      entries.erase(it);
    }
  }

  void setTolerance(std::uint64_t id, Duration tolerance) {
    std::lock_guard lock(mutex);
    auto it = entries.find(id);
    if (it != entries.end()) it->second.tolerance = tolerance;
  }

  // The entry due first by `end`, or entries.end(). Callers hold `mutex`.
  std::map<std::uint64_t, Entry>::iterator firstDueEntry(Ticks end) {
    auto best = entries.end();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
      if (fireTime(it->second) > end) continue;
      if (best == entries.end() || order(it->second) < order(best->second)) best = it;
    }
    return best;
  }

  std::size_t count(bool repeating) const {
    std::lock_guard lock(mutex);
    return std::count_if(entries.begin(), entries.end(),
                         [&](const auto& idAndEntry) { return idAndEntry.second.repeating == repeating; });
  }

  bool hasDue(Ticks end) {
    std::lock_guard lock(mutex);
    return !tasks.empty() || firstDueEntry(end) != entries.end();
  }

  // Takes the next job due by `end`. A task counts as due `now`. A firing timer is
  // rescheduled here, before its action runs, so that the action sees its next time.
  std::optional<Job> takeNext(Ticks end, Ticks now) {
    std::lock_guard lock(mutex);
    auto best = firstDueEntry(end);
    bool taskFirst =
        !tasks.empty() && (best == entries.end() || std::pair(now, tasks.front().sequence) < order(best->second));
    if (taskFirst) {
      Job job{now, std::move(tasks.front().action)};
      tasks.pop_front();
      return job;
    }
    if (best == entries.end()) return std::nullopt;

    Entry& entry = best->second;
    Job job{std::max(fireTime(entry), now), entry.action};
    if (entry.repeating) {
      ++timerFirings;
      entry.planned = nextPlannedTime(entry.planned, entry.interval, job.time);
      entry.sequence = nextSequence++;
    } else {
      entries.erase(best);
    }
    return job;
  }
};

class SimulatedRunLoop::TimerHandle : public Timer {
 public:
  TimerHandle(std::weak_ptr<State> state, std::uint64_t id) : state_(std::move(state)), id_(id) {}
  ~TimerHandle() override { invalidate(); }

  void setTolerance(Duration tolerance) override {
    if (auto state = state_.lock()) state->setTolerance(id_, std::max(tolerance, Duration::zero()));
  }
  void invalidate() override {
    if (auto state = state_.lock()) state->remove(id_);
  }

 private:
  std::weak_ptr<State> state_;
  std::uint64_t id_;
};

class SimulatedRunLoop::WorkHandle : public DelayedWork {
 public:
  WorkHandle(std::weak_ptr<State> state, std::uint64_t id) : state_(std::move(state)), id_(id) {}
  ~WorkHandle() override { cancel(); }

  void cancel() override {
    if (auto state = state_.lock()) state->remove(id_);
  }

 private:
  std::weak_ptr<State> state_;
  std::uint64_t id_;
};

SimulatedRunLoop::SimulatedRunLoop(SimulatedClock& clock) : clock_(clock), state_(std::make_shared<State>()) {}

SimulatedRunLoop::~SimulatedRunLoop() = default;

std::unique_ptr<Timer> SimulatedRunLoop::scheduleRepeatingTimer(Duration interval, std::function<void()> action) {
  State::Entry entry;
  entry.repeating = true;
  entry.interval = std::max(kShortestTimerInterval, interval);
  entry.planned = later(clock_.ticks(), entry.interval);
  entry.action = std::make_shared<std::function<void()>>(std::move(action));
  return std::make_unique<TimerHandle>(state_, state_->add(std::move(entry)));
}

std::unique_ptr<DelayedWork> SimulatedRunLoop::runAfter(Duration delay, std::function<void()> work) {
  State::Entry entry;
  entry.planned = later(clock_.ticks(), std::max(delay, Duration::zero()));
  entry.action = std::make_shared<std::function<void()>>(std::move(work));
  return std::make_unique<WorkHandle>(state_, state_->add(std::move(entry)));
}

void SimulatedRunLoop::postTask(std::function<void()> task) {
  auto action = std::make_shared<std::function<void()>>(std::move(task));
  std::lock_guard lock(state_->mutex);
  state_->tasks.push_back({state_->nextSequence++, std::move(action)});
}

bool SimulatedRunLoop::runUntilTicks(Ticks end) {
  for (std::size_t ran = 0;; ++ran) {
    if (ran == kJobLimit) {
      if (state_->hasDue(end)) return false;
      break;
    }
    std::optional<State::Job> job = state_->takeNext(end, clock_.ticks());
    if (!job) break;
    clock_.advance(job->time - clock_.ticks());
    if (*job->action) (*job->action)();
  }
  clock_.advance(end - clock_.ticks());
  return true;
}

bool SimulatedRunLoop::runFor(Duration d) {
  return runUntilTicks(later(clock_.ticks(), std::max(d, Duration::zero())));
}

bool SimulatedRunLoop::runUntil(Instant end) { return runFor(end - clock_.now()); }

bool SimulatedRunLoop::runUntilIdle() { return runUntilTicks(clock_.ticks()); }

void SimulatedRunLoop::setTimerLateness(double fraction) {
  std::lock_guard lock(state_->mutex);
  state_->lateness = std::isnan(fraction) ? 0 : std::clamp(fraction, 0.0, 1.0);
}

std::size_t SimulatedRunLoop::pendingTaskCount() const {
  std::lock_guard lock(state_->mutex);
  return state_->tasks.size();
}

std::size_t SimulatedRunLoop::liveTimerCount() const { return state_->count(true); }

std::size_t SimulatedRunLoop::pendingWorkCount() const { return state_->count(false); }

std::vector<SimulatedRunLoop::TimerInfo> SimulatedRunLoop::liveTimers() const {
  std::lock_guard lock(state_->mutex);
  std::vector<TimerInfo> timers;
  for (const auto& [id, entry] : state_->entries) {
    if (!entry.repeating) continue;
    const auto onWallClock = [&](Ticks t) { return clock_.now() + (t - clock_.ticks()); };
    timers.push_back(
        {entry.interval, entry.tolerance, onWallClock(entry.planned), onWallClock(state_->fireTime(entry))});
  }
  return timers;
}

std::uint64_t SimulatedRunLoop::totalTimerFirings() const {
  std::lock_guard lock(state_->mutex);
  return state_->timerFirings;
}

}  // namespace CorlaMeetings
