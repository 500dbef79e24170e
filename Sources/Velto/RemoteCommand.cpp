#include <QCoreApplication>
#include <QDBusConnection>

#include <cstdlib>
#include <iostream>

#include "FrontEnds.h"
#include "QtTray/ControlClient.h"

namespace CorlaMeetings {

bool hasGraphicalSession() {
  auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
  };
  return set("DISPLAY") || set("WAYLAND_DISPLAY");
}

// A desktop shortcut runs this; the exit status and stderr are all it has to tell.
int runRemoteCommand(const CommandLine& line, int argc, char** argv) {
  QCoreApplication app(argc, argv);
  bool join = line.mode == CommandLine::Mode::joinNext;
  ControlReply reply = sendControlCommand(QDBusConnection::sessionBus(),
                                          join ? ControlCommand::joinNextMeeting : ControlCommand::refresh);
  if (!reply.answered) {
    std::cerr << "velto: " << reply.error << "\n";
    return 1;
  }
  if (join && !reply.joined) {
    std::cerr << "velto: no upcoming meeting with a join link\n";
    return 1;
  }
  return 0;
}

}  // namespace CorlaMeetings
