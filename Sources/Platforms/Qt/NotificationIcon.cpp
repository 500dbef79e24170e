#include "Qt/NotificationIcon.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace CorlaMeetings {

namespace {

// The file of the icon in `dataDirectory`'s hicolor theme, at any size; empty if none.
QString themeIconIn(const QString& dataDirectory) {
  QDir theme(dataDirectory + QStringLiteral("/icons/hicolor"));
  for (const QString& size : theme.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
    for (const char* file : {"velto.svg", "velto.png"}) {
      QString path = theme.filePath(size + QStringLiteral("/apps/") + QLatin1String(file));
      if (QFileInfo(path).isFile()) return path;
    }
  }
  return {};
}

QStringList absoluteEntries(const QString& list) {
  QStringList entries;
  for (const QString& entry : list.split(u':', Qt::SkipEmptyParts)) {
    if (QDir::isAbsolutePath(entry)) entries.append(entry);
  }
  return entries;
}

}  // namespace

QString notificationIcon(const IconLocations& locations) {
  for (const QString& directory : locations.dataDirectories) {
    if (!themeIconIn(directory).isEmpty()) return QStringLiteral("velto");
  }
  if (!locations.executableDirectory.isEmpty()) {
    QString installed = themeIconIn(QDir::cleanPath(locations.executableDirectory + QStringLiteral("/../share")));
    if (!installed.isEmpty()) return QUrl::fromLocalFile(installed).toString();
  }
  if (!locations.sourceIcon.isEmpty() && QFileInfo(locations.sourceIcon).isFile()) {
    return QUrl::fromLocalFile(QFileInfo(locations.sourceIcon).absoluteFilePath()).toString();
  }
  return {};
}

IconLocations systemIconLocations() {
  IconLocations locations;
  QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
  if (!QDir::isAbsolutePath(dataHome)) dataHome = QDir::homePath() + QStringLiteral("/.local/share");
  locations.dataDirectories = {dataHome};
  QStringList dataDirectories = absoluteEntries(qEnvironmentVariable("XDG_DATA_DIRS"));
  if (dataDirectories.isEmpty()) dataDirectories = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
  locations.dataDirectories += dataDirectories;
  locations.executableDirectory = QCoreApplication::applicationDirPath();
#ifdef VELTO_SOURCE_ICON
  locations.sourceIcon = QStringLiteral(VELTO_SOURCE_ICON);
#endif
  return locations;
}

}  // namespace CorlaMeetings
