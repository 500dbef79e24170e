#include "Simulated/SimulatedRunLoop.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <deque>
#include <map>
#include <mutex>
#include <utility>

#include "Simulated/SimulatedDuration.h"

namespace CorlaMeetings {

namespace {

// Shared so that a running action stays alive when its own timer is invalidated meanwhile.
using Action = std::shared_ptr<std::function<void()>>;

using Microseconds = std::chrono::microseconds;

double nonNegativeSeconds(double seconds) { return std::max(0.0, clampedSeconds(seconds)); }

// The first point of the timer's grid after `firedAt`: the next period, or later ones when
// the clock has jumped past some (those are skipped, as a real timer does after a suspend).
Instant nextPlannedTime(Instant planned, Microseconds interval, Instant firedAt) {
  Instant next = planned + interval;
  if (next <= firedAt) next += ((firedAt - next) / interval + 1) * interval;
  return next;
}

}  // namespace

struct SimulatedRunLoop::State {
  // A timer or a delayed work item.
  struct Entry {
    bool repeating = false;
    std::uint64_t sequence = 0;  // ties between equal times go to the lower one
    Instant planned;
    Microseconds interval{0};
    double tolerance = 0;
    Action action;
  };
  struct Task {
    std::uint64_t sequence = 0;
    Action action;
  };
  struct Job {
    Instant time;
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
  Instant fireTime(const Entry& entry) const {
    if (!entry.repeating) return entry.planned;
    return addingSeconds(entry.planned, lateness * entry.tolerance);
  }
  std::pair<Instant, std::uint64_t> order(const Entry& entry) const { return {fireTime(entry), entry.sequence}; }

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

  void setTolerance(std::uint64_t id, double seconds) {
    std::lock_guard lock(mutex);
    auto it = entries.find(id);
    if (it != entries.end()) it->second.tolerance = seconds;
  }

  // The entry due first by `end`, or entries.end(). Callers hold `mutex`.
  std::map<std::uint64_t, Entry>::iterator firstDueEntry(Instant end) {
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

  bool hasDue(Instant end) {
    std::lock_guard lock(mutex);
    return !tasks.empty() || firstDueEntry(end) != entries.end();
  }

  // Takes the next job due by `end`. A task counts as due `now`. A firing timer is
  // rescheduled here, before its action runs, so that the action sees its next time.
  std::optional<Job> takeNext(Instant end, Instant now) {
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

  void setTolerance(double seconds) override {
    if (auto state = state_.lock()) state->setTolerance(id_, nonNegativeSeconds(seconds));
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

std::unique_ptr<Timer> SimulatedRunLoop::scheduleRepeatingTimer(double intervalSeconds, std::function<void()> action) {
  double interval = std::max(kShortestTimerInterval, clampedSeconds(intervalSeconds));
  State::Entry entry;
  entry.repeating = true;
  entry.interval = std::chrono::duration_cast<Microseconds>(std::chrono::duration<double>(interval));
  entry.planned = clock_.now() + entry.interval;
  entry.action = std::make_shared<std::function<void()>>(std::move(action));
  return std::make_unique<TimerHandle>(state_, state_->add(std::move(entry)));
}

std::unique_ptr<DelayedWork> SimulatedRunLoop::runAfter(double delaySeconds, std::function<void()> work) {
  State::Entry entry;
  entry.planned = addingSeconds(clock_.now(), nonNegativeSeconds(delaySeconds));
  entry.action = std::make_shared<std::function<void()>>(std::move(work));
  return std::make_unique<WorkHandle>(state_, state_->add(std::move(entry)));
}

void SimulatedRunLoop::postTask(std::function<void()> task) {
  auto action = std::make_shared<std::function<void()>>(std::move(task));
  std::lock_guard lock(state_->mutex);
  state_->tasks.push_back({state_->nextSequence++, std::move(action)});
}

bool SimulatedRunLoop::runUntil(Instant end) {
  end = std::max(end, clock_.now());
  for (std::size_t ran = 0;; ++ran) {
    if (ran == kJobLimit) {
      if (state_->hasDue(end)) return false;
      break;
    }
    std::optional<State::Job> job = state_->takeNext(end, clock_.now());
    if (!job) break;
    if (job->time > clock_.now()) clock_.set(job->time);
    if (*job->action) (*job->action)();
  }
  if (clock_.now() < end) clock_.set(end);
  return true;
}

bool SimulatedRunLoop::runFor(double seconds) {
  return runUntil(addingSeconds(clock_.now(), nonNegativeSeconds(seconds)));
}

bool SimulatedRunLoop::runUntilIdle() { return runUntil(clock_.now()); }

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
    timers.push_back({std::chrono::duration<double>(entry.interval).count(), entry.tolerance, entry.planned,
                      state_->fireTime(entry)});
  }
  return timers;
}

std::uint64_t SimulatedRunLoop::totalTimerFirings() const {
  std::lock_guard lock(state_->mutex);
  return state_->timerFirings;
}

}  // namespace CorlaMeetings
