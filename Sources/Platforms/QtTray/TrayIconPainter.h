#pragma once

#include <QIcon>
#include <QImage>
#include <array>

#include "ui/StatusTitle.h"

namespace CorlaMeetings {

// The pixel sizes panels ask for, smallest first.
inline constexpr std::array<int, 5> kTrayIconSizes = {16, 22, 24, 32, 48};

// The tray icon of `state`, `size` pixels square, drawn here so that no image format
// plug-in is needed at run time: a calendar with a clock face in the brand blue, with an
// exclamation badge (no calendar access), a blue dot (soon) or a lime dot (live) in its corner.
// Format_ARGB32, transparent background.
QImage paintTrayIcon(StatusState state, int size);

// The icon of `state` at every size of kTrayIconSizes.
QIcon trayIcon(StatusState state);

}  // namespace CorlaMeetings
