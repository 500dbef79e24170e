#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "ICalendar/Threads/Executor.h"
#include "app/Time.h"

namespace CorlaMeetings {

// One thread that runs jobs one at a time, in the order they were posted (delayed ones once
// they are due). Destroying it drops the jobs not started and waits for the one running.
class SerialWorker : public Executor {
 public:
  SerialWorker();
  ~SerialWorker() override;
  SerialWorker(const SerialWorker&) = delete;
  SerialWorker& operator=(const SerialWorker&) = delete;

  void post(std::function<void()> job) override;
  void postAfter(Duration delay, std::function<void()> job) override;

 private:
  void run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  std::multimap<std::chrono::steady_clock::time_point, std::function<void()>> delayed_;
  bool stopping_ = false;
  std::thread thread_;  // last: starts once the rest is made
};

}  // namespace CorlaMeetings
