#pragma once

#include <cstddef>
#include <functional>

namespace CorlaMeetings {

// Runs `work(i)` for each i below `count`, shared among up to four threads (this one
// included) when there are `worthAThread` items or more for each. A folder read for the
// first time has thousands of files to parse, and a start-up thousands to look at; a few
// changed files stay on this thread.
void forEachInParallel(std::size_t count, std::size_t worthAThread, const std::function<void(std::size_t)>& work);

}  // namespace CorlaMeetings
