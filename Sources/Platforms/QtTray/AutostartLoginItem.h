#pragma once

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

#include "app/LoginItem.h"

namespace CorlaMeetings {

// Starting at login through an XDG autostart entry, velto.desktop, that runs this program
// by its absolute path with the calendars of this launch ("--calendar SOURCE" each), so
// that the session starts the tray the user set up. Autostart runs in another working
// folder: a relative path is made absolute against the current one, while a URL, or
// anything else with a scheme ("https:", "file:"), and a "~/" path stay as given. Written
// whole or not at all: a crash midway leaves the previous entry, or none. Main thread.
class AutostartLoginItem : public LoginItem {
 public:
  // This program with `calendars`, into defaultDirectory().
  explicit AutostartLoginItem(const std::vector<std::string>& calendars = {});
  AutostartLoginItem(QString autostartDirectory, QString executablePath, QStringList calendars = {});

  // $XDG_CONFIG_HOME/autostart, or ~/.config/autostart where that is unset, empty or not
  // an absolute path.
  static QString defaultDirectory();

  QString entryPath() const;
  // The entry's text.
  QString entry() const;

  // Creates the directory as needed. False when the entry could not be written.
  bool registerApplication() override;

 private:
  QString directory_;
  QString executablePath_;
  QStringList calendars_;  // as they go into the entry
};

}  // namespace CorlaMeetings
