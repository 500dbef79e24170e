#include <QApplication>
#include <QDBusConnection>
#include <QMenu>

#include <iostream>
#include <memory>
#include <string>

#include "CalendarStores.h"
#include "FrontEnds.h"
#include "Qt/DBusNotificationCenter.h"
#include "Qt/DesktopWorkspace.h"
#include "Qt/IniPreferences.h"
#include "Qt/QtApplication.h"
#include "Qt/QtRunLoop.h"
#include "Qt/SystemClock.h"
#include "Qt/TimeChangeMonitor.h"
#include "QtMenu/MenuRenderer.h"
#include "QtTray/AutostartLoginItem.h"
#include "QtTray/ControlService.h"
#include "QtTray/SingleInstance.h"
#include "QtTray/TrayStatusItem.h"
#include "WindowSystem.h"
#include "app/AppDelegate.h"

namespace CorlaMeetings {

int runTrayFrontEnd(const CommandLine& line, int argc, char** argv) {
  const std::string qtPlatform = trayPlatform(currentSession());
  if (!platformStarts(qtPlatform)) {
    std::cerr << "velto: cannot show the tray: ";
    if (qtPlatform.empty()) {
      std::cerr << "no graphical session (DISPLAY and WAYLAND_DISPLAY are unset)";
    } else {
      std::cerr << "Qt's platform \"" << qtPlatform << "\" does not start here"
                << (qtPlatform.starts_with("wayland") ? " (is qt6-wayland installed?)" : "");
    }
    std::cerr << "; showing the terminal view instead\n";
    return runTerminalFrontEnd(line, argc, argv);
  }
  TrayPlatformEnvironment environment(qtPlatform);
  QApplication app(argc, argv);
  environment.restore();
  // The drop-down is the only window; closing it must not end the program.
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setApplicationName("velto");
  QApplication::setDesktopFileName("velto");

  QDBusConnection bus = QDBusConnection::sessionBus();
  std::shared_ptr<AppDelegate> delegate;
  // The control interface goes up before the name is claimed, so that a second launch
  // that finds the name taken can already reach it.
  ControlService control(
      bus, [&delegate] { return delegate && delegate->joinNextMeeting(); },
      [&delegate] {
        if (delegate) delegate->refreshClicked();
      });
  SingleInstance instance(bus);
  if (!instance.isFirst()) return 0;

  SystemClock clock;
  QtRunLoop runLoop;
  QtApplication application;
  std::unique_ptr<CalendarStore> calendars = makeCalendarStore(runLoop, clock, line.calendars);
  DBusNotificationCenter notifications(ReminderPostingRight::Claim::takeOver);
  IniPreferences preferences(IniPreferences::defaultPath());
  DesktopWorkspace workspace;
  AutostartLoginItem loginItem(line.calendars);

  std::unique_ptr<MenuRenderer> renderer;
  TrayStatusItem statusItem([&renderer](std::shared_ptr<Menu> menu, QPoint at) {
    if (!renderer) renderer = std::make_unique<MenuRenderer>(std::move(menu));
    renderer->popUp(at);
  });

  Platform platform{application,   clock,       runLoop,   statusItem, *calendars,
                    notifications, preferences, workspace, loginItem};
  delegate = std::make_shared<AppDelegate>(platform);
  delegate->applicationDidFinishLaunching();
  TimeChangeMonitor timeChanges([&delegate] {
    if (delegate) delegate->systemTimeChanged();
  });
  int status = app.exec();
  delegate.reset();
  return status;
}

}  // namespace CorlaMeetings
