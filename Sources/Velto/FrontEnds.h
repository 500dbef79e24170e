#pragma once

#include "CommandLine.h"

namespace CorlaMeetings {

// Each runs one front end to the end and returns the process's exit status.

// --print, --watch, and the full terminal front end.
int runTerminalFrontEnd(const CommandLine& line, int argc, char** argv);

// The tray: a panel item and its drop-down; one per session.
int runTrayFrontEnd(const CommandLine& line, int argc, char** argv);

// --join-next and --refresh, sent to the running tray.
int runRemoteCommand(const CommandLine& line, int argc, char** argv);

// True where a window system is reachable: DISPLAY or WAYLAND_DISPLAY is set.
bool hasGraphicalSession();

}  // namespace CorlaMeetings
