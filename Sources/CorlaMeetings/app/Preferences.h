#pragma once

#include <cstdint>
#include <string>

namespace CorlaMeetings {

// The application's persistent settings. An absent key reads false or 0; a written value
// is read back by later calls and later launches. Main thread.
class Preferences {
 public:
  virtual ~Preferences() = default;
  virtual bool boolForKey(const std::string& key) const = 0;
  virtual void setBool(const std::string& key, bool value) = 0;
  virtual std::int64_t integerForKey(const std::string& key) const = 0;
  virtual void setInteger(const std::string& key, std::int64_t value) = 0;
};

}  // namespace CorlaMeetings
