#pragma once

#include <QString>

#include <cstdint>
#include <map>
#include <string>

#include "app/Preferences.h"

namespace CorlaMeetings {

// Preferences in a small INI file, one "key=value" line per key under "[General]":
// integers in decimal, booleans as true or false. The file is read once, when the object
// is made; every set rewrites it whole through a temporary file that replaces it in one
// rename, so a crash leaves either the old file or the new one. Failing to write is silent
// and the value still holds for this run.
//
// A value reads back as either type, as the in-memory preferences do: a boolean as 0 or 1,
// an integer as true when it is not 0. An absent key, and a value that is neither, read
// false or 0. Main thread.
class IniPreferences : public Preferences {
 public:
  enum class Mode {
    ReadWrite,
    // Reads the file but never writes, nor makes its folder: sets last for the run. For
    // front ends that must leave no trace.
    ReadOnly,
  };

  // $XDG_CONFIG_HOME/velto/velto.ini; ~/.config stands in for XDG_CONFIG_HOME when that is
  // unset, empty or not an absolute path.
  static QString defaultPath();

  explicit IniPreferences(QString path, Mode mode = Mode::ReadWrite);

  bool boolForKey(const std::string& key) const override;
  void setBool(const std::string& key, bool value) override;
  std::int64_t integerForKey(const std::string& key) const override;
  void setInteger(const std::string& key, std::int64_t value) override;

  const QString& path() const { return path_; }

 private:
  void set(const std::string& key, std::string text);
  void load();
  void save() const;

  QString path_;
  Mode mode_;
  std::map<std::string, std::string> values_;  // the text after "=", as in the file
};

}  // namespace CorlaMeetings
