#include "ICalendar/Threads/ParallelWork.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace CorlaMeetings {

void forEachInParallel(std::size_t count, std::size_t worthAThread, const std::function<void(std::size_t)>& work) {
  const std::size_t threads =
      std::min<std::size_t>({std::max(1u, std::thread::hardware_concurrency()), 4, count / worthAThread + 1});
  std::atomic<std::size_t> next{0};
  auto run = [&] {
    for (std::size_t i; (i = next.fetch_add(1)) < count;) work(i);
  };
  std::vector<std::thread> helpers;
  for (std::size_t t = 1; t < threads; ++t) helpers.emplace_back(run);
  run();
  for (auto& helper : helpers) helper.join();
}

}  // namespace CorlaMeetings
