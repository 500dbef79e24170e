#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace CorlaMeetings {

// Single key presses from the terminal on `fd`: while this lives, the terminal hands each
// key over at once and does not echo it; Ctrl-C and Ctrl-Z keep working. The terminal's
// mode is put back when this goes, and also when a signal ends the process (Ctrl-C,
// SIGTERM, a hang-up, a crash) or stops it (Ctrl-Z; the key mode returns on continuing):
// a terminal left without echo would be the user's trouble long after we are gone.
//
// Does nothing when `fd` is not a terminal, or one whose foreground we are not in (a
// program started with `&` would be stopped for touching it). Escape sequences (arrows,
// function keys) are dropped, not read as letters. Main thread, within a Qt event loop;
// one at a time in a process.
class TerminalKeyPresses {
 public:
  TerminalKeyPresses(int fd, std::function<void(char key)> pressed);
  ~TerminalKeyPresses();
  TerminalKeyPresses(const TerminalKeyPresses&) = delete;
  TerminalKeyPresses& operator=(const TerminalKeyPresses&) = delete;

  bool isActive() const { return notifier_ != nullptr; }

 private:
  void readKeys();

  int fd_;
  std::function<void(char)> pressed_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace CorlaMeetings
