#pragma once

#include <string_view>

namespace CorlaMeetings {

// What the tray icon tells where the panel shows no text: the same four states the title
// takes.
enum class TrayIconState {
  brand,  // "Velto": nothing close
  alert,  // "Velto!": calendar access is missing
  soon,   // "Velto <name>": a meeting starts within three hours
  live,   // "● <name>": a meeting is in progress
};

// The state a status title shows. Any other text reads as the brand state.
TrayIconState trayIconStateForTitle(std::string_view title);

}  // namespace CorlaMeetings
