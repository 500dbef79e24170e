#pragma once

#include <QString>

#include "app/LoginItem.h"

namespace CorlaMeetings {

// Starting at login through an XDG autostart entry, velto.desktop, that runs this program
// by its absolute path. Written whole or not at all: a crash midway leaves the previous
// entry, or none. Main thread.
class AutostartLoginItem : public LoginItem {
 public:
  // This program, into defaultDirectory().
  AutostartLoginItem();
  AutostartLoginItem(QString autostartDirectory, QString executablePath);

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
};

}  // namespace CorlaMeetings
