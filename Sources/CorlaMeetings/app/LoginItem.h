#pragma once

namespace CorlaMeetings {

// Starting the application when the user logs in.
class LoginItem {
 public:
  virtual ~LoginItem() = default;
  // Registers the running application; false when that failed.
  virtual bool registerApplication() = 0;
};

}  // namespace CorlaMeetings
