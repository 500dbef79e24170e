#include "TerminalKeyPresses.h"

#include <QSocketNotifier>

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace CorlaMeetings {

namespace {

// What the signal handlers use; set before they are installed, unchanged while they are.
int terminalFd = -1;
termios savedMode;     // as we found it
termios keyPressMode;  // as we use it
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
struct sigaction previousActions[NSIG];
bool handled[NSIG];

bool isFault(int signal) { return signal == SIGSEGV || signal == SIGBUS || signal == SIGFPE || signal == SIGILL; }

// Only async-signal-safe calls from here on.
void onEndingSignal(int signal, siginfo_t* info, void*) {
  const int savedErrno = errno;
  ::tcsetattr(terminalFd, TCSANOW, &savedMode);
  ::sigaction(signal, &previousActions[signal], nullptr);
  // A fault comes back by itself when the instruction runs again; anything sent is sent
  // again. Either way it then meets the action from before us.
  if (!isFault(signal) || info->si_code <= 0) ::raise(signal);
  errno = savedErrno;
}

void onStop(int signal, siginfo_t*, void*);

void handle(int signal, void (*handler)(int, siginfo_t*, void*)) {
  struct sigaction action {};
  action.sa_sigaction = handler;
  action.sa_flags = SA_SIGINFO | SA_RESTART;
  sigemptyset(&action.sa_mask);
  ::sigaction(signal, &action, nullptr);
}

void onStop(int signal, siginfo_t*, void*) {
  const int savedErrno = errno;
  ::tcsetattr(terminalFd, TCSANOW, &savedMode);
  ::signal(signal, SIG_DFL);
  ::raise(signal);  // stops the process once this returns
  errno = savedErrno;
}

void onContinue(int, siginfo_t*, void*) {
  const int savedErrno = errno;
  handle(SIGTSTP, onStop);
  if (::tcgetpgrp(terminalFd) == ::getpgrp()) ::tcsetattr(terminalFd, TCSANOW, &keyPressMode);
  errno = savedErrno;
}

void installHandlers() {
  for (int signal : kEndingSignals) {
    ::sigaction(signal, nullptr, &previousActions[signal]);
    // An ignored signal (a hang-up under nohup) ends nothing: leave it so.
    handled[signal] = previousActions[signal].sa_handler != SIG_IGN;
    if (handled[signal]) handle(signal, onEndingSignal);
  }
  for (int signal : {SIGTSTP, SIGCONT}) ::sigaction(signal, nullptr, &previousActions[signal]);
  handle(SIGTSTP, onStop);
  handle(SIGCONT, onContinue);
}

void removeHandlers() {
  for (int signal : kEndingSignals) {
    if (handled[signal]) ::sigaction(signal, &previousActions[signal], nullptr);
  }
  for (int signal : {SIGTSTP, SIGCONT}) ::sigaction(signal, &previousActions[signal], nullptr);
}

}  // namespace

TerminalKeyPresses::TerminalKeyPresses(int fd, std::function<void(char key)> pressed)
    : fd_(fd), pressed_(std::move(pressed)) {
  if (!::isatty(fd) || ::tcgetpgrp(fd) != ::getpgrp() || ::tcgetattr(fd, &savedMode) != 0) return;
  terminalFd = fd;
  keyPressMode = savedMode;
  keyPressMode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  keyPressMode.c_cc[VMIN] = 1;
  keyPressMode.c_cc[VTIME] = 0;
  installHandlers();
  if (::tcsetattr(fd, TCSANOW, &keyPressMode) != 0) {
    removeHandlers();
    return;
  }
  notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { readKeys(); });
}

TerminalKeyPresses::~TerminalKeyPresses() {
  if (!notifier_) return;
  notifier_.reset();
  ::tcsetattr(fd_, TCSANOW, &savedMode);
  removeHandlers();
}

void TerminalKeyPresses::readKeys() {
  char keys[64];
  ssize_t count = ::read(fd_, keys, sizeof keys);
  if (count < 0 && (errno == EINTR || errno == EAGAIN)) return;
  if (count <= 0) {  // the terminal hung up: nothing more will come
    notifier_->setEnabled(false);
    return;
  }
  for (ssize_t i = 0; i < count; ++i) {
    if (keys[i] == '\x1b') return;  // the rest of an escape sequence came with it
    if (pressed_) pressed_(keys[i]);
  }
}

}  // namespace CorlaMeetings
