#pragma once

#include <QPoint>
#include <QRect>
#include <optional>

namespace CorlaMeetings {

// The desktop around a point, as far as the window system tells.
struct DesktopGeometry {
  QRect screen;    // the screen holding the point (the first one when none does)
  QRect workArea;  // that screen less the panels that reserve space on it
  // Where the pointer is: known on X11, not through XWayland, whose idea of the pointer
  // stops wherever it last left one of its windows, nor on Wayland, which tells no client.
  std::optional<QPoint> pointer;
};

// Main thread, with a QGuiApplication. May ask the compositor (see SwayIpc.h).
DesktopGeometry desktopGeometryAt(QPoint point);

// True when this process reaches the desktop through XWayland, the X server a Wayland
// compositor runs for X clients. Main thread, with a QGuiApplication.
bool throughXWayland();

}  // namespace CorlaMeetings
