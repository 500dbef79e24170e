#pragma once

namespace CorlaMeetings {

// The process as the desktop sees it.
class Application {
 public:
  virtual ~Application() = default;
  // No taskbar entry and no main window: the application lives in the panel only.
  virtual void setAccessoryActivationPolicy() = 0;
  // Ends the event loop; the process then exits normally.
  virtual void terminate() = 0;
};

}  // namespace CorlaMeetings
