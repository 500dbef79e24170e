#pragma once

#include "app/Application.h"

namespace CorlaMeetings {

// The QCoreApplication of this process. Main thread.
class QtApplication : public Application {
 public:
  // Nothing to do: a Qt Core application has no window and no taskbar entry of its own;
  // what the panel shows is the tray item's business.
  void setAccessoryActivationPolicy() override {}
  // Quits from the event loop, so that a call made before the loop runs still ends it.
  void terminate() override;
};

}  // namespace CorlaMeetings
