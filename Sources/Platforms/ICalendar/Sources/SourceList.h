#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ICalendar/Sources/CalendarSource.h"

namespace CorlaMeetings {

// What the source list is resolved from, injected so that resolution is a pure function.
struct SourceListEnvironment {
  // An environment variable; nothing when it is unset.
  std::function<std::optional<std::string>(const std::string& name)> variable;
  // A whole small text file; nothing when it does not exist or cannot be read.
  std::function<std::optional<std::string>(const std::string& path)> readFile;
  // Whether the desktop's calendar service is there to be read; asked only for the default
  // list, and unset means no.
  std::function<bool()> desktopCalendars;
};

// The calendars to read, first match wins:
//  1. the --calendar options, in the order given;
//  2. else the lines of $XDG_CONFIG_HOME/velto/calendars (default ~/.config), one path or URL
//     per line; blank lines and lines starting with "#" are skipped (a "#" later in a line
//     belongs to the entry: URLs and file names may hold one). A file without entries
//     means no calendars;
//  3. else every selected calendar of the desktop's calendar service ("eds:") when it is
//     there, and the folder $XDG_DATA_HOME/velto/calendars (default ~/.local/share).
// "~/" expands to $HOME; a relative XDG directory is ignored, as the XDG rules say.
// Repeated sources are listed once. Empty when nothing can be located (no $HOME).
std::vector<CalendarSource> resolveSourceList(const std::vector<std::string>& options,
                                              const SourceListEnvironment& environment);

// The list as this process sees it: the environment as it is now and, on each call, the
// configuration file and `desktopCalendars` (which may block for a moment) as they are
// then. The result may be called on any thread but should be called off the main one.
std::function<std::vector<CalendarSource>()> systemSourceList(std::vector<std::string> options,
                                                              std::function<bool()> desktopCalendars = {});

}  // namespace CorlaMeetings
