#pragma once

#include <QString>

#include <memory>

#include "app/Workspace.h"

class QObject;

namespace CorlaMeetings {

// Opens links and the calendar application with the desktop's own tools. Programs are
// started directly with their arguments, never through a shell, so nothing in a link is
// ever read as a command. Failures, a missing tool among them, are silent. Main thread;
// a QCoreApplication must exist.
class DesktopWorkspace : public Workspace {
 public:
  // The programs used, by name (looked up in PATH) or path; tests put recorders here.
  struct Commands {
    QString urlOpener = QStringLiteral("xdg-open");          // <urlOpener> <url>
    QString mimeQuery = QStringLiteral("xdg-mime");          // <mimeQuery> query default text/calendar
    QString desktopLauncher = QStringLiteral("gtk-launch");  // <desktopLauncher> <desktop id>
    QString gio = QStringLiteral("gio");                     // <gio> launch <desktop file>, when the above is missing
  };

  DesktopWorkspace();
  explicit DesktopWorkspace(Commands commands);
  ~DesktopWorkspace() override;
  DesktopWorkspace(const DesktopWorkspace&) = delete;
  DesktopWorkspace& operator=(const DesktopWorkspace&) = delete;

  // Web links with a host only; the link is the opener's one argument.
  void openURL(const Url& url) override;
  // The default application for text/calendar, asked of the desktop without waiting for
  // it; nothing happens when there is none.
  void openCalendarApplication() override;

 private:
  Commands commands_;
  // The parent of the queries still running: they end with this workspace.
  std::unique_ptr<QObject> queries_;
};

}  // namespace CorlaMeetings
