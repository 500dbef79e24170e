#include "ICalendar/Threads/LoopExecutor.h"

#include <utility>

namespace CorlaMeetings {

void LoopExecutor::post(std::function<void()> job) {
  runLoop_.postTask([alive = alive_, job = std::move(job)] {
    if (*alive) job();
  });
}

void LoopExecutor::postAfter(std::chrono::milliseconds delay, std::function<void()> job) {
  delayed_.push_back(runLoop_.runAfter(std::chrono::duration<double>(delay).count(), std::move(job)));
}

}  // namespace CorlaMeetings
