#include "QtTray/AutostartLoginItem.h"

#include "Qt/XdgDirectories.h"

#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>

#include "QtTray/DesktopEntryExec.h"

namespace CorlaMeetings {

AutostartLoginItem::AutostartLoginItem()
    : AutostartLoginItem(defaultDirectory(), QCoreApplication::applicationFilePath()) {}

AutostartLoginItem::AutostartLoginItem(QString autostartDirectory, QString executablePath)
    : directory_(std::move(autostartDirectory)), executablePath_(std::move(executablePath)) {}

QString AutostartLoginItem::defaultDirectory() {
  return xdgConfigHome() + QStringLiteral("/autostart");
}

QString AutostartLoginItem::entryPath() const { return directory_ + QStringLiteral("/velto.desktop"); }

QString AutostartLoginItem::entry() const {
  return QStringLiteral(
             "[Desktop Entry]\n"
             "Type=Application\n"
             "Name=Velto Meetings Reminder\n"
             "Exec=%1\n"
             "Icon=velto\n"
             "Terminal=false\n"
             "X-GNOME-Autostart-enabled=true\n"
             "NoDisplay=false\n")
      .arg(desktopEntryExec({executablePath_}));
}

bool AutostartLoginItem::registerApplication() {
  // A relative path would run whatever lies there in the session's working directory.
  if (executablePath_.isEmpty() || QDir::isRelativePath(executablePath_)) return false;
  if (!QDir().mkpath(directory_)) return false;
  QSaveFile file(entryPath());
  if (!file.open(QIODevice::WriteOnly)) return false;
  QByteArray text = entry().toUtf8();
  if (file.write(text) != text.size()) return false;
  return file.commit();
}

}  // namespace CorlaMeetings
