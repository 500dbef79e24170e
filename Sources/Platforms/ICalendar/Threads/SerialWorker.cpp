#include "ICalendar/Threads/SerialWorker.h"

#include <utility>

namespace CorlaMeetings {

SerialWorker::SerialWorker() : thread_([this] { run(); }) {}

SerialWorker::~SerialWorker() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    jobs_.clear();
    delayed_.clear();
  }
  wake_.notify_one();
  thread_.join();
}

void SerialWorker::post(std::function<void()> job) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
}

void SerialWorker::postAfter(Duration delay, std::function<void()> job) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    delayed_.emplace(std::chrono::steady_clock::now() + delay, std::move(job));
  }
  wake_.notify_one();
}

void SerialWorker::run() {
  for (;;) {
    std::function<void()> job;
    {
      std::unique_lock lock(mutex_);
      for (;;) {
        if (stopping_) return;
        if (!delayed_.empty() && delayed_.begin()->first <= std::chrono::steady_clock::now()) {
          jobs_.push_back(std::move(delayed_.begin()->second));
          delayed_.erase(delayed_.begin());
        }
        if (!jobs_.empty()) break;
        if (delayed_.empty()) {
          wake_.wait(lock);
        } else {
          wake_.wait_until(lock, delayed_.begin()->first);
        }
      }
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    job();
  }
}

}  // namespace CorlaMeetings
