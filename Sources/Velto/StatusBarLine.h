#pragma once

#include <string>

#include "ui/Menu.h"
#include "ui/StatusTitle.h"

namespace CorlaMeetings {

// What a status bar shows of the current state: the title, and for bars that take JSON
// (waybar, i3blocks) a tooltip from the header and a class for styling.
struct StatusBarState {
  std::string title;
  std::string tooltip;    // the header's headline and detail, or the status card's texts
  std::string className;  // from the title's state: "alert" | "live" | "soon" | "idle"
};

StatusBarState statusBarState(const StatusTitle& title, const Menu& menu);

// One line: the title alone, or {"text": ..., "tooltip": ..., "class": ...}.
std::string statusBarLine(const StatusBarState& state, bool json);

}  // namespace CorlaMeetings
