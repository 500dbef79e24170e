#include "QtTray/TrayIconState.h"

namespace CorlaMeetings {

TrayIconState trayIconStateForTitle(std::string_view title) {
  if (title == "Velto!") return TrayIconState::alert;
  // The name may clean to nothing, which leaves the prefix alone: still a meeting.
  if (title.starts_with("\u25CF ")) return TrayIconState::live;
  if (title.starts_with("Velto ")) return TrayIconState::soon;
  return TrayIconState::brand;
}

}  // namespace CorlaMeetings
