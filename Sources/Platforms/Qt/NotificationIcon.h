#pragma once

#include <QString>
#include <QStringList>

namespace CorlaMeetings {

// Where Velto's icon may lie.
struct IconLocations {
  QStringList dataDirectories;  // the XDG data folders, in lookup order
  QString executableDirectory;  // the program's folder
  QString sourceIcon;           // the source tree's icon, for a program run from its build
};

// The icon a notification names as its app_icon. The icon's name, "velto", where the
// hicolor theme of a data folder holds it: notification servers look there. Else the file
// URL of the copy installed beside the program (<program folder>/../share/icons/hicolor),
// which a server would not find by name outside the data folders; else of the source
// tree's icon. Empty when there is none, which leaves the icon to the server.
QString notificationIcon(const IconLocations& locations);

// This process's: $XDG_DATA_HOME (or ~/.local/share) then $XDG_DATA_DIRS (or
// /usr/local/share:/usr/share), relative entries left out; this program's folder; the
// icon of the tree the program was built from.
IconLocations systemIconLocations();

}  // namespace CorlaMeetings
