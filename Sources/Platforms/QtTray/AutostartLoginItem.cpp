#include "QtTray/AutostartLoginItem.h"

#include "Qt/XdgDirectories.h"

#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>

#include "QtTray/DesktopEntryExec.h"

namespace CorlaMeetings {

namespace {

bool isAsciiLetter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// "https:", "webcal:", "file:": a letter, then letters, digits, "+", "-" or ".", then ":".
bool hasScheme(const QString& source) {
  qsizetype colon = source.indexOf(u':');
  if (colon < 1 || !isAsciiLetter(source[0])) return false;
  for (qsizetype i = 1; i < colon; ++i) {
    QChar c = source[i];
    if (!isAsciiLetter(c) && !(c >= u'0' && c <= u'9') && c != u'+' && c != u'-' && c != u'.') return false;
  }
  return true;
}

// As the calendar list is to read it at login, from whatever folder autostart runs in.
QString sourceForLogin(const QString& source) {
  if (hasScheme(source) || source == u'~' || source.startsWith(QStringLiteral("~/")) || QDir::isAbsolutePath(source)) {
    return source;
  }
  return QDir::cleanPath(QDir::current().absoluteFilePath(source));
}

QStringList qtStrings(const std::vector<std::string>& texts) {
  QStringList strings;
  for (const std::string& text : texts) strings.append(QString::fromStdString(text));
  return strings;
}

}  // namespace

AutostartLoginItem::AutostartLoginItem(const std::vector<std::string>& calendars)
    : AutostartLoginItem(defaultDirectory(), QCoreApplication::applicationFilePath(), qtStrings(calendars)) {}

AutostartLoginItem::AutostartLoginItem(QString autostartDirectory, QString executablePath, QStringList calendars)
    : directory_(std::move(autostartDirectory)), executablePath_(std::move(executablePath)) {
  for (const QString& calendar : calendars) calendars_.append(sourceForLogin(calendar));
}

QString AutostartLoginItem::defaultDirectory() { return xdgConfigHome() + QStringLiteral("/autostart"); }

QString AutostartLoginItem::entryPath() const { return directory_ + QStringLiteral("/velto.desktop"); }

QString AutostartLoginItem::entry() const {
  QStringList command{executablePath_};
  for (const QString& calendar : calendars_) command << QStringLiteral("--calendar") << calendar;
  return QStringLiteral(
             "[Desktop Entry]\n"
             "Type=Application\n"
             "Name=Velto Meetings Reminder\n"
             "Exec=%1\n"
             "Icon=velto\n"
             "Terminal=false\n"
             "X-GNOME-Autostart-enabled=true\n"
             "NoDisplay=false\n")
      .arg(desktopEntryExec(command));
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
