#include "TerminalReaderWatch.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace CorlaMeetings {

namespace {

bool hasReader(int fd) {
  struct stat status {};
  return ::fstat(fd, &status) == 0 && (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode));
}

}  // namespace

TerminalReaderWatch::TerminalReaderWatch(int fd, std::function<void()> gone) : gone_(std::move(gone)) {
  if (!hasReader(fd)) return;
  int stop[2];
  if (::pipe2(stop, O_CLOEXEC) != 0) return;
  stopReadEnd_ = stop[0];
  stopWriteEnd_ = stop[1];
  thread_ = std::thread([this, fd] { watch(fd); });
}

TerminalReaderWatch::~TerminalReaderWatch() {
  if (thread_.joinable()) {
    char byte = 0;
    while (::write(stopWriteEnd_, &byte, 1) < 0 && errno == EINTR) {
    }
    thread_.join();
  }
  if (stopReadEnd_ >= 0) ::close(stopReadEnd_);
  if (stopWriteEnd_ >= 0) ::close(stopWriteEnd_);
}

void TerminalReaderWatch::watch(int fd) {
  pollfd watched[2] = {{fd, 0, 0}, {stopReadEnd_, POLLIN, 0}};
  for (;;) {
    int ready = ::poll(watched, 2, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0 || watched[1].revents != 0) return;
    if (watched[0].revents & (POLLERR | POLLHUP | POLLNVAL)) break;
  }
  if (gone_) gone_();
}

}  // namespace CorlaMeetings
