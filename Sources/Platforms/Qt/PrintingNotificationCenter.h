#pragma once

#include <functional>
#include <memory>
#include <ostream>

#include "app/NotificationCenter.h"
#include "app/RunLoop.h"

namespace CorlaMeetings {

// Notifications as lines of text, for the terminal front end:
//
//   notification: <identifier> | <title> | <body> | <joinURL>
//
// with the "joinURL" string of the user information, or nothing after the last "| " when
// there is none. Control characters in the texts print as spaces, so that an event title
// can neither break the line nor send the terminal escape sequences. Main thread.
class PrintingNotificationCenter : public NotificationCenter {
 public:
  // Both must outlive this centre; authorization answers go through `runLoop`.
  PrintingNotificationCenter(std::ostream& out, RunLoop& runLoop);

  // Nothing is clicked, so no delegate is kept.
  void setDelegate(std::weak_ptr<NotificationCenterDelegate>) override {}
  // Always yes, from a posted task.
  void requestAuthorization(std::function<void(bool granted)> completion) override;
  void add(const NotificationRequest& request) override;

 private:
  std::ostream& out_;
  RunLoop& runLoop_;
};

}  // namespace CorlaMeetings
