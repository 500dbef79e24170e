#pragma once

#include <optional>
#include <string>
#include <vector>

namespace CorlaMeetings {

struct CommandLine {
  enum class Mode {
    automatic,  // the tray in a graphical session, else the full terminal front end
    tray,       // the tray, whatever the session
    print,      // one refresh, printed, then exit
    watch,      // a line per title change, for status bars
    joinNext,   // asks the running tray to open the next meeting's link
    refresh,    // asks the running tray to refresh
  };
  enum class Format { text, waybar };

  Mode mode = Mode::automatic;
  Format format = Format::text;
  std::vector<std::string> calendars;
  bool help = false;
  bool version = false;
};

struct CommandLineResult {
  std::optional<CommandLine> commandLine;
  std::string error;  // set when commandLine is empty: what was wrong, for the usage message
};

// Reads the arguments after the program name. Accepts "--calendar X" and "--calendar=X".
CommandLineResult parseCommandLine(const std::vector<std::string>& arguments);

extern const char kUsage[];

}  // namespace CorlaMeetings
