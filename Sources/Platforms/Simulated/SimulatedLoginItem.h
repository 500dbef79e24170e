#pragma once

#include "app/LoginItem.h"

namespace CorlaMeetings {

// A login-item service that remembers whether the application was registered. Main thread.
class SimulatedLoginItem : public LoginItem {
 public:
  bool registerApplication() override;

  // While failing, every attempt fails and changes nothing, as when the desktop refuses.
  void setFailing(bool failing) { failing_ = failing; }
  int attemptCount() const { return attemptCount_; }
  bool isRegistered() const { return registered_; }

 private:
  bool failing_ = false;
  int attemptCount_ = 0;
  bool registered_ = false;
};

}  // namespace CorlaMeetings
