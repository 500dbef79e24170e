// The terminal view as a person at a terminal meets it: velto runs on a pseudo-terminal
// (or with a pipe on one side), keys are typed into it, and its output and the terminal's
// mode are read back. Every wait is bounded; a velto still running at the end is killed.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const std::string kClear = "\x1b[H\x1b[K\x1b[B\x1b[J\x1b[H";

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t found = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++found;
  return found;
}

bool sameMode(const termios& a, const termios& b) {
  return a.c_lflag == b.c_lflag && a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cc[VMIN] == b.c_cc[VMIN] &&
         a.c_cc[VTIME] == b.c_cc[VTIME];
}

// One velto run: its follow view on a new pseudo-terminal, or with /dev/null for standard
// input (`terminalInput` false) or a pipe for standard output (`pipeOutput`). Killed, if
// it still runs, when this goes.
class VeltoRun {
 public:
  VeltoRun(const fs::path& home, const std::string& calendar, bool terminalInput = true, bool pipeOutput = false)
      : piped_(pipeOutput) {
    winsize size{.ws_row = 100, .ws_col = 200, .ws_xpixel = 0, .ws_ypixel = 0};
    if (::openpty(&master_, &slave_, nullptr, nullptr, &size) != 0) return;
    ::tcgetattr(slave_, &before_);
    int pipeEnds[2] = {-1, -1};
    if (pipeOutput && ::pipe(pipeEnds) != 0) return;
    const char* inheritedPath = std::getenv("PATH");
    const std::string path = (home / "bin").string() + ":" + (inheritedPath ? inheritedPath : "/usr/bin:/bin");
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(master_);
      if (pipeOutput) ::close(pipeEnds[0]);
      ::login_tty(slave_);  // its own session, the terminal its controlling one
      if (!terminalInput) ::dup2(::open("/dev/null", O_RDONLY), STDIN_FILENO);
      if (pipeOutput) ::dup2(pipeEnds[1], STDOUT_FILENO);
      ::unsetenv("DISPLAY");
      ::unsetenv("WAYLAND_DISPLAY");
      ::setenv("PATH", path.c_str(), 1);
      ::setenv("HOME", home.c_str(), 1);
      ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
      ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
      ::setenv("TERM", "xterm", 1);
      ::execl(VELTO_PROGRAM, VELTO_PROGRAM, "--calendar", calendar.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    if (pipeOutput) {
      ::close(pipeEnds[1]);
      pipe_ = pipeEnds[0];
    }
  }

  ~VeltoRun() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    for (int fd : {master_, slave_, pipe_}) {
      if (fd >= 0) ::close(fd);
    }
  }

  bool started() const { return pid_ > 0; }

  // What velto printed to standard output so far.
  const std::string& output() const { return piped_ ? pipedOutput_ : terminalOutput_; }

  // Reads what velto prints until `done` holds; false when seconds pass first.
  bool readUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s) {
    const auto deadline = Clock::now() + limit;
    while (!done()) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return false;
      pollfd readable[] = {{master_, POLLIN, 0}, {pipe_, POLLIN, 0}};
      if (::poll(readable, 2, static_cast<int>(std::min<long long>(left, 50))) <= 0) continue;
      for (const pollfd& source : readable) {
        char buffer[4096];
        ssize_t length = (source.revents & POLLIN) ? ::read(source.fd, buffer, sizeof buffer) : 0;
        if (length > 0) (source.fd == master_ ? terminalOutput_ : pipedOutput_).append(buffer, length);
      }
    }
    return true;
  }

  bool printed(const std::string& text) {
    return readUntil([&] { return output().find(text) != std::string::npos; });
  }

  bool takesKeyPresses() const { return (mode().c_lflag & (ICANON | ECHO)) == 0; }
  bool modeIsAsBefore() const { return sameMode(mode(), before_); }

  void type(const char* keys) { [[maybe_unused]] ssize_t written = ::write(master_, keys, std::strlen(keys)); }
  void signal(int number) { ::kill(pid_, number); }

  // The status velto ended with, once it has; nothing if it runs on for seconds.
  std::optional<int> ended() {
    int status = 0;
    if (!readUntil([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; })) return std::nullopt;
    pid_ = -1;
    return status;
  }

 private:
  termios mode() const {
    termios now{};
    ::tcgetattr(slave_, &now);
    return now;
  }

  bool piped_;
  termios before_{};  // the terminal's mode before velto
  pid_t pid_ = -1;
  int master_ = -1;
  int slave_ = -1;  // kept open: its mode is read after velto has gone
  int pipe_ = -1;
  std::string terminalOutput_;
  std::string pipedOutput_;
};

class TerminalSmoke : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/velto-terminal-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    home = pattern;
    // "Open Calendar" asks xdg-mime for the calendar application: this one notes the call.
    fs::create_directories(home / "bin");
    std::ofstream(home / "bin/xdg-mime") << "#!/bin/sh\ntouch '" << (home / "calendar-asked").string() << "'\n";
    fs::permissions(home / "bin/xdg-mime", fs::perms::owner_all);
  }
  void TearDown() override { fs::remove_all(home); }

  fs::path home;
  const std::string workday = VELTO_FIXTURES_DIR "/e2e/workday/calendar.ics";
};

// Keys are read where standard input is a terminal; the view is drawn in place where
// standard output is one; otherwise velto does as it always did.
TEST_F(TerminalSmoke, KeysOnATerminalInputAndRedrawingOnATerminalOutput) {
  const struct { bool terminalInput, pipeOutput; } cases[] = {{true, false}, {true, true}, {false, false}};
  for (const auto& [terminalInput, piped] : cases) {
    SCOPED_TRACE(testing::Message() << "terminal input " << terminalInput << ", piped output " << piped);
    fs::remove(home / "calendar-asked");
    VeltoRun velto(home, workday, terminalInput, piped);
    ASSERT_TRUE(velto.started());
    ASSERT_TRUE(velto.printed("Quit (q)"));
    EXPECT_EQ(velto.takesKeyPresses(), terminalInput);
    EXPECT_EQ(velto.output().starts_with(kClear), !piped);
    EXPECT_EQ(velto.output().find('\x1b') == std::string::npos, piped);
    if (terminalInput) {
      velto.type("r");  // a refresh shows the view again: over the last one, or after it
      EXPECT_TRUE(velto.readUntil([&] { return count(velto.output(), "Quit (q)") == 2; }));
      EXPECT_EQ(count(velto.output(), kClear), piped ? 0u : 2u);
      velto.type("o");
      EXPECT_TRUE(velto.readUntil([&] { return fs::exists(home / "calendar-asked"); }));
      velto.type("q");
    } else {
      velto.signal(SIGTERM);
    }
    std::optional<int> status = velto.ended();
    ASSERT_TRUE(status);
    if (terminalInput) {
      EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
    }
    EXPECT_TRUE(velto.modeIsAsBefore());
  }
}

// A terminal left without echo would be the user's to mend: whatever ends velto puts the
// mode back first.
TEST_F(TerminalSmoke, TheTerminalModeComesBackWhenASignalEndsIt) {
  const struct {
    const char* what;
    int signal;
    bool typed;  // Ctrl-C at the keyboard, rather than kill
  } cases[] = {
      {"Ctrl-C", SIGINT, true}, {"SIGTERM", SIGTERM, false}, {"a hang-up", SIGHUP, false}, {"a crash", SIGSEGV, false}};
  for (const auto& [what, signal, typed] : cases) {
    SCOPED_TRACE(what);
    VeltoRun velto(home, workday);
    ASSERT_TRUE(velto.started());
    ASSERT_TRUE(velto.printed("Quit (q)"));
    ASSERT_TRUE(velto.takesKeyPresses());
    if (typed) {
      velto.type("\x03");
    } else {
      velto.signal(signal);
    }
    std::optional<int> status = velto.ended();
    ASSERT_TRUE(status);
    // A sanitizer build reports a crash itself and exits; otherwise velto dies of the signal.
    if (signal != SIGSEGV) {
      EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == signal) << *status;
    }
    EXPECT_TRUE(velto.modeIsAsBefore());
  }
}

// "YYYYMMDDTHHMMSSZ" for a moment `offset` from now.
std::string utcIn(std::chrono::seconds offset) {
  std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now() + offset);
  std::tm parts{};
  ::gmtime_r(&t, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
  return text;
}

// Started before its calendar exists (not synced yet, a disk not mounted), velto shows the
// calendar's meetings as soon as it is there, with no key pressed.
TEST_F(TerminalSmoke, ACalendarThatAppearsLaterIsShownWithinTwoSeconds) {
  const fs::path calendar = home / "not/synced/yet/calendar.ics";
  VeltoRun velto(home, calendar.string(), /*terminalInput=*/false, /*pipeOutput=*/true);
  ASSERT_TRUE(velto.started());
  ASSERT_TRUE(velto.printed("title: Velto!"));

  fs::create_directories(calendar.parent_path());
  std::ofstream(calendar.string() + ".part")
      << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Velto//Tests//EN\r\nBEGIN:VEVENT\r\nUID:late@test\r\n"
      << "DTSTAMP:20300101T000000Z\r\nDTSTART:" << utcIn(1h) << "\r\nDTEND:" << utcIn(2h)
      << "\r\nSUMMARY:Came late\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
  fs::rename(calendar.string() + ".part", calendar);
  const auto appeared = Clock::now();
  ASSERT_TRUE(velto.printed("| Came late |"));
  EXPECT_LT(Clock::now() - appeared, 2s);
}

}  // namespace
