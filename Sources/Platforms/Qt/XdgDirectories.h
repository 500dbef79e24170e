#pragma once

#include <QDir>
#include <QString>

namespace CorlaMeetings {

// $XDG_CONFIG_HOME, or ~/.config where it is unset, empty or relative: a relative value is
// to be ignored, as it would depend on where the program was started.
inline QString xdgConfigHome() {
  QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (configHome.isEmpty() || QDir::isRelativePath(configHome)) configHome = QDir::homePath() + "/.config";
  return configHome;
}

}  // namespace CorlaMeetings
