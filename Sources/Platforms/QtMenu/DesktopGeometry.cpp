#include "QtMenu/DesktopGeometry.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include "QtMenu/SwayIpc.h"

namespace CorlaMeetings {

DesktopGeometry desktopGeometryAt(QPoint point) {
  const QScreen* screen = QGuiApplication::screenAt(point);
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return {QRect(), QRect(), std::nullopt};

  DesktopGeometry desktop{screen->geometry(), screen->availableGeometry(), std::nullopt};
  // A window manager on X11 publishes the work area; sway and i3 tell it only over their IPC.
  for (const QRect& area : visibleWorkspaceAreas()) {
    if (desktop.screen.contains(area.center())) desktop.workArea = area & desktop.screen;
  }
  const bool xcb = QGuiApplication::platformName() == QLatin1String("xcb");
  if (xcb && !throughXWayland()) desktop.pointer = QCursor::pos();
  return desktop;
}

bool throughXWayland() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  // XWayland names its outputs XWAYLAND0, XWAYLAND1, ...
  return QGuiApplication::platformName() == QLatin1String("xcb") && screen &&
         screen->name().startsWith(QLatin1String("XWAYLAND"));
}

}  // namespace CorlaMeetings
