#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <variant>

namespace CorlaMeetings {

// What a notification carries back to us when clicked. Values keep their type: a reader
// must not assume a string where a desktop handed back something else.
using UserInfoValue = std::variant<std::string, std::int64_t, double, bool>;
using UserInfo = std::map<std::string, UserInfoValue>;

struct NotificationRequest {
  std::string identifier;
  std::string title;
  std::string body;
  bool defaultSound = false;
  UserInfo userInfo;
};

struct NotificationResponse {
  std::string identifier;
  UserInfo userInfo;
};

class NotificationCenterDelegate {
 public:
  virtual ~NotificationCenterDelegate() = default;
  // The user clicked a delivered notification. Any thread; `completionHandler` must be
  // called once when the handling has finished.
  virtual void didReceive(const NotificationResponse& response, std::function<void()> completionHandler) = 0;
};

// The desktop's notification service.
class NotificationCenter {
 public:
  virtual ~NotificationCenter() = default;

  // Held weakly: a delegate that is gone receives nothing.
  virtual void setDelegate(std::weak_ptr<NotificationCenterDelegate> delegate) = 0;

  // Asks to show alerts with sound. `completion` runs once, later, on any thread.
  virtual void requestAuthorization(std::function<void(bool granted)> completion) = 0;

  // Shows the notification now. Fire and forget: failures are silent.
  virtual void add(const NotificationRequest& request) = 0;
};

}  // namespace CorlaMeetings
