#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <variant>

#include "app/Preferences.h"

namespace CorlaMeetings {

// Preferences that last as long as this object; a test plays a relaunch by handing the
// same object to a new AppDelegate. A value reads back as either type: a bool as 0 or 1,
// an integer as true when it is not 0. Main thread.
class InMemoryPreferences : public Preferences {
 public:
  bool boolForKey(const std::string& key) const override;
  void setBool(const std::string& key, bool value) override { values_[key] = value; }
  std::int64_t integerForKey(const std::string& key) const override;
  void setInteger(const std::string& key, std::int64_t value) override { values_[key] = value; }

  bool contains(const std::string& key) const { return values_.count(key) != 0; }
  std::set<std::string> keys() const;

 private:
  std::map<std::string, std::variant<bool, std::int64_t>> values_;
};

}  // namespace CorlaMeetings
