#pragma once

#include <functional>
#include <thread>

namespace CorlaMeetings {

// Tells when the reader of our output has gone, while we have nothing to write: a status
// bar that started "velto --watch" ends, and without a write nothing else would notice
// (bars start their modules with SIGPIPE ignored, and a failed write is caught where it
// happens). A thread waits in poll() on the descriptor with no events asked for, which
// returns POLLERR or POLLHUP once the last reader of a pipe or socket closes its end.
//
// Only pipes and sockets are watched: a terminal or a file has no reader to lose.
class TerminalReaderWatch {
 public:
  // `gone` runs once, on the watching thread, when the reader of `fd` has gone.
  TerminalReaderWatch(int fd, std::function<void()> gone);
  // Stops the thread; `gone` does not run after this returns.
  ~TerminalReaderWatch();
  TerminalReaderWatch(const TerminalReaderWatch&) = delete;
  TerminalReaderWatch& operator=(const TerminalReaderWatch&) = delete;

  bool isWatching() const { return thread_.joinable(); }

 private:
  void watch(int fd);

  std::function<void()> gone_;
  int stopReadEnd_ = -1;  // the thread also waits on this, to be told to stop
  int stopWriteEnd_ = -1;
  std::thread thread_;
};

}  // namespace CorlaMeetings
