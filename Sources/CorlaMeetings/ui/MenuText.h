#pragma once

#include <string>
#include <vector>

#include "ui/Menu.h"

namespace CorlaMeetings {

// The menu as lines of plain text, item by item, for terminals and status bars:
//   [status] <title> | <subtitle> | <detail>
//   [header] <brand> | <headline> | <count> | <detail>
//   [section] <title>
//   [meeting] <time range> | <title> | <location line> | <status> | Join <url>   (or "| Open")
//   [more] <text>
//   [command] <title> (<key>)
//   ---
// Texts come from invites, so control characters are replaced: one item stays one line.
std::vector<std::string> menuTextLines(const Menu& menu);

}  // namespace CorlaMeetings
