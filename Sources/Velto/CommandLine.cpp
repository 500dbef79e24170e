#include "CommandLine.h"

namespace CorlaMeetings {

const char kUsage[] =
    "Usage: velto [--tray | --print | --watch [--format text|waybar]] [--calendar SOURCE]...\n"
    "       velto --join-next | --refresh\n"
    "\n"
    "Keeps your next online meetings in view and reminds you before each one. Without a\n"
    "mode it lives in the panel when a graphical session is present, else in the terminal.\n"
    "\n"
    "  --tray              live in the panel (the default in a graphical session)\n"
    "  --print             read the calendars once, print the status and the menu, exit\n"
    "  --watch             print the status title whenever it changes\n"
    "  --format FORMAT     with --watch: text (default) or waybar (one JSON line per change)\n"
    "  --calendar SOURCE   an .ics file, a folder of .ics files, an http(s) address, eds:\n"
    "                      (the calendars selected in GNOME Calendar or Evolution, from\n"
    "                      Evolution Data Server) or eds:NAME (one of them, by name or UID);\n"
    "                      repeatable. Default: the lines of $XDG_CONFIG_HOME/velto/calendars,\n"
    "                      else eds: (when Evolution Data Server is on the session bus) and\n"
    "                      the folder $XDG_DATA_HOME/velto/calendars/\n"
    "  --join-next         open the next meeting's join link in the running Velto\n"
    "  --refresh           make the running Velto read the calendars again\n"
    "  --help              show this help\n"
    "  --version           show the version\n";

namespace {

// "--name=value" or "--name value"; false when the value is missing.
bool takeValue(const std::vector<std::string>& arguments, std::size_t& i, const std::string& name, std::string& value,
               bool& matched) {
  const std::string& argument = arguments[i];
  matched = false;
  if (argument == name) {
    matched = true;
    if (i + 1 >= arguments.size()) return false;
    value = arguments[++i];
    return true;
  }
  if (argument.starts_with(name + "=")) {
    matched = true;
    value = argument.substr(name.size() + 1);
    return true;
  }
  return true;
}

}  // namespace

CommandLineResult parseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  bool formatGiven = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    std::string value;
    bool matched = false;

    if (!takeValue(arguments, i, "--calendar", value, matched)) return {std::nullopt, "--calendar needs a SOURCE"};
    if (matched) {
      if (value.empty()) return {std::nullopt, "--calendar needs a SOURCE"};
      line.calendars.push_back(value);
      continue;
    }
    if (!takeValue(arguments, i, "--format", value, matched)) return {std::nullopt, "--format needs text or waybar"};
    if (matched) {
      if (value == "text") {
        line.format = CommandLine::Format::text;
      } else if (value == "waybar") {
        line.format = CommandLine::Format::waybar;
      } else {
        return {std::nullopt, "unknown format '" + value + "' (text or waybar)"};
      }
      formatGiven = true;
      continue;
    }

    CommandLine::Mode mode = line.mode;
    if (argument == "--print") {
      mode = CommandLine::Mode::print;
    } else if (argument == "--watch") {
      mode = CommandLine::Mode::watch;
    } else if (argument == "--tray") {
      mode = CommandLine::Mode::tray;
    } else if (argument == "--join-next") {
      mode = CommandLine::Mode::joinNext;
    } else if (argument == "--refresh") {
      mode = CommandLine::Mode::refresh;
    } else if (argument == "--help" || argument == "-h") {
      line.help = true;
      continue;
    } else if (argument == "--version") {
      line.version = true;
      continue;
    } else {
      return {std::nullopt, "unknown option '" + argument + "'"};
    }
    if (line.mode != CommandLine::Mode::automatic && line.mode != mode) {
      return {std::nullopt, "choose one of --tray, --print, --watch, --join-next and --refresh"};
    }
    line.mode = mode;
  }
  if (formatGiven && line.mode != CommandLine::Mode::watch) return {std::nullopt, "--format goes with --watch"};
  bool remote = line.mode == CommandLine::Mode::joinNext || line.mode == CommandLine::Mode::refresh;
  if (remote && !line.calendars.empty()) return {std::nullopt, "--calendar cannot go with --join-next or --refresh"};
  return {line, ""};
}

}  // namespace CorlaMeetings
