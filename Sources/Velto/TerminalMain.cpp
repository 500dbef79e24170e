#include <QCoreApplication>

#include <unistd.h>

#include <iostream>
#include <memory>

#include "AccessAnswerRelay.h"
#include "CalendarStores.h"
#include "FrontEnds.h"
#include "Qt/DBusNotificationCenter.h"
#include "Qt/DesktopWorkspace.h"
#include "Qt/IniPreferences.h"
#include "Qt/PrintingNotificationCenter.h"
#include "Qt/QtApplication.h"
#include "Qt/QtRunLoop.h"
#include "Qt/SystemClock.h"
#include "Qt/TimeChangeMonitor.h"
#include "TerminalFrontEnd.h"
#include "TerminalKeyPresses.h"
#include "TerminalReaderWatch.h"
#include "TerminalStatusItem.h"
#include "app/AppDelegate.h"
#include "app/LoginItem.h"

namespace CorlaMeetings {
namespace {

// Terminal front ends never register the program to start at login: that is the tray's
// business, and a terminal command has no place in a session's autostart.
class NoLoginItem : public LoginItem {
 public:
  bool registerApplication() override { return false; }
};

}  // namespace

int runTerminalFrontEnd(const CommandLine& line, int argc, char** argv) {
  QCoreApplication app(argc, argv);

  SystemClock clock;
  QtRunLoop runLoop;
  QtApplication application;
  TerminalStatusItem statusItem;
  std::unique_ptr<CalendarStore> calendars = makeCalendarStore(runLoop, clock, line.calendars);

  TerminalFrontEnd::Mode mode = line.mode == CommandLine::Mode::print   ? TerminalFrontEnd::Mode::once
                                : line.mode == CommandLine::Mode::watch ? TerminalFrontEnd::Mode::statusLine
                                                                        : TerminalFrontEnd::Mode::follow;
  TerminalFrontEnd frontEnd(mode, line.format == CommandLine::Format::waybar, statusItem, runLoop, application,
                            std::cout);
  // A person at a terminal sees one view that changes; a pipe or a file gets each view.
  const bool follow = mode == TerminalFrontEnd::Mode::follow;
  if (follow && ::isatty(STDOUT_FILENO)) frontEnd.redrawInPlace();
  AccessAnswerRelay store(*calendars, runLoop, [&frontEnd] { frontEnd.accessAnswered(); });

  // In a status bar the reminders go to the desktop; in a terminal they are printed.
  std::unique_ptr<NotificationCenter> notifications;
  if (line.mode == CommandLine::Mode::watch) {
    // The tray posts when it runs, else the first of the watchers (one per bar).
    notifications = std::make_unique<DBusNotificationCenter>(ReminderPostingRight::Claim::waitInLine);
  } else {
    notifications = std::make_unique<PrintingNotificationCenter>(frontEnd.reminderOutput(), runLoop);
  }
  // A terminal front end writes nothing: no preference, no login item.
  IniPreferences preferences(IniPreferences::defaultPath(), IniPreferences::Mode::ReadOnly);
  DesktopWorkspace workspace;
  NoLoginItem loginItem;

  Platform platform{application, clock, runLoop, statusItem, store, *notifications, preferences, workspace, loginItem};
  auto delegate = std::make_shared<AppDelegate>(platform);
  delegate->applicationDidFinishLaunching();
  // A single print has no future to keep current.
  std::unique_ptr<TimeChangeMonitor> timeChanges;
  if (line.mode != CommandLine::Mode::print) {
    timeChanges = std::make_unique<TimeChangeMonitor>([&delegate] {
      if (delegate) delegate->systemTimeChanged();
    });
  }
  // A bar or pager reading our output may go away while we have nothing to say.
  std::unique_ptr<TerminalReaderWatch> readerWatch;
  if (line.mode != CommandLine::Mode::print) {
    readerWatch = std::make_unique<TerminalReaderWatch>(
        STDOUT_FILENO, [&runLoop, &application] { runLoop.postTask([&application] { application.terminate(); }); });
  }
  // The menu's keys, typed at the terminal.
  std::unique_ptr<TerminalKeyPresses> keys;
  if (follow) {
    keys = std::make_unique<TerminalKeyPresses>(STDIN_FILENO, [&frontEnd](char key) { frontEnd.keyPressed(key); });
  }
  int status = app.exec();
  delegate.reset();
  return status;
}

}  // namespace CorlaMeetings
