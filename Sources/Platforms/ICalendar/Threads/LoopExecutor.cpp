#include "ICalendar/Threads/LoopExecutor.h"

#include <utility>

namespace CorlaMeetings {

void LoopExecutor::post(std::function<void()> job) {
  runLoop_.postTask([alive = alive_, job = std::move(job)] {
    if (*alive) job();
  });
}

void LoopExecutor::postAfter(Duration delay, std::function<void()> job) {
  delayed_.push_back(runLoop_.runAfter(delay, std::move(job)));
}

}  // namespace CorlaMeetings
