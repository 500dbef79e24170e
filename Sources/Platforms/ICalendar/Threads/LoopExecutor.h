#pragma once

#include <memory>
#include <vector>

#include "ICalendar/Threads/Executor.h"
#include "app/RunLoop.h"

namespace CorlaMeetings {

// Runs jobs as tasks of `runLoop`, on its thread; `runLoop` must outlive it. With a
// simulated loop, the work of a store runs as the test runs the loop, on virtual time.
class LoopExecutor : public Executor {
 public:
  explicit LoopExecutor(RunLoop& runLoop) : runLoop_(runLoop) {}
  ~LoopExecutor() override { *alive_ = false; }

  void post(std::function<void()> job) override;
  void postAfter(Duration delay, std::function<void()> job) override;

 private:
  RunLoop& runLoop_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // jobs posted hold it
  std::vector<std::unique_ptr<DelayedWork>> delayed_;
};

}  // namespace CorlaMeetings
