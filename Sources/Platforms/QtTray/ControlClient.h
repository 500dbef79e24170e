#pragma once

#include <QDBusConnection>
#include <string>

namespace CorlaMeetings {

enum class ControlCommand { joinNextMeeting, refresh };

// What a command to the running instance came to.
struct ControlReply {
  bool answered = false;  // false: no instance runs, or the call failed or timed out
  bool joined = false;    // joinNextMeeting: the instance opened a meeting's link
  std::string error;      // when not answered: why, one line for the user
};

inline constexpr int kControlTimeoutMilliseconds = 2000;

// Sends `command` to the instance that owns "org.velto.Velto" on `connection` and waits
// for its answer, at most `timeoutMilliseconds`. Never starts an instance. Blocks the
// calling thread without running its event loop.
ControlReply sendControlCommand(const QDBusConnection& connection, ControlCommand command,
                                int timeoutMilliseconds = kControlTimeoutMilliseconds);

}  // namespace CorlaMeetings
