#include <QApplication>
#include <QDBusConnection>
#include <QMenu>

#include <memory>

#include "CalendarStores.h"
#include "FrontEnds.h"
#include "ICalendar/ICalendarStore.h"
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
#include "app/AppDelegate.h"

namespace CorlaMeetings {

int runTrayFrontEnd(const CommandLine& line, int argc, char** argv) {
  QApplication app(argc, argv);
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

  initializeSubscriptionFetching();
  SystemClock clock;
  QtRunLoop runLoop;
  QtApplication application;
  std::unique_ptr<CalendarStore> calendars = makeCalendarStore(runLoop, clock, line.calendars);
  DBusNotificationCenter notifications;
  IniPreferences preferences(IniPreferences::defaultPath());
  DesktopWorkspace workspace;
  AutostartLoginItem loginItem;

  std::unique_ptr<MenuRenderer> renderer;
  TrayStatusItem statusItem([&renderer](std::shared_ptr<Menu> menu, QPoint at) {
    if (!renderer) renderer = std::make_unique<MenuRenderer>(std::move(menu));
    renderer->popup()->popup(at);
  });

  Platform platform{application, clock, runLoop, statusItem, *calendars, notifications, preferences, workspace,
                    loginItem};
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
