#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/NotificationCenter.h"
#include "app/RunLoop.h"

namespace CorlaMeetings {

// A notification service that records what it was asked to show and plays the user's
// clicks. Main thread, except click and deliverResponse, which call the delegate on
// whichever thread calls them, as a desktop may.
class RecordingNotificationCenter : public NotificationCenter {
 public:
  // Authorization answers go through `runLoop`, which must outlive this centre.
  explicit RecordingNotificationCenter(RunLoop& runLoop);

  void setDelegate(std::weak_ptr<NotificationCenterDelegate> delegate) override;
  void requestAuthorization(std::function<void(bool granted)> completion) override;
  void add(const NotificationRequest& request) override;

  // Plays a click on the latest notification posted with `identifier`: a response with
  // its user information reaches the delegate. A clicked notification stays delivered, so it
  // can be clicked again. False when nothing was posted under that identifier or the
  // delegate is gone.
  bool click(const std::string& identifier);
  // Hands any response to the delegate, for user information no request of ours carries.
  // False when the delegate is gone.
  bool deliverResponse(const NotificationResponse& response);

  bool hasDelegate() const { return !delegate_.expired(); }
  int authorizationRequestCount() const { return authorizationRequestCount_; }
  const std::vector<NotificationRequest>& posted() const { return posted_; }
  // Calls of the completion handlers of responses (from any thread, at any time, even after
  // this centre is gone).
  int completionCount() const { return *completionCount_; }

 private:
  RunLoop& runLoop_;
  std::weak_ptr<NotificationCenterDelegate> delegate_;
  int authorizationRequestCount_ = 0;
  std::vector<NotificationRequest> posted_;
  std::shared_ptr<std::atomic<int>> completionCount_;
};

}  // namespace CorlaMeetings
