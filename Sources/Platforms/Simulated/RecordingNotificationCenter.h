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

  // The answer to authorization requests, given from a task posted to the run loop. True
  // unless set.
  void answerAuthorizationWith(bool granted) { authorizationAnswer_ = granted; }
  // False plays a desktop without a notification service, or a user who turned alerts off:
  // added requests are then dropped, silently as far as the caller can tell. True unless set.
  void setDeliveryAllowed(bool allowed) { deliveryAllowed_ = allowed; }

  // Plays a click on the latest delivered notification with `identifier`: a response with
  // its user information reaches the delegate. A clicked notification stays delivered, so it
  // can be clicked again. False when nothing was delivered under that identifier or the
  // delegate is gone.
  bool click(const std::string& identifier);
  // Hands any response to the delegate, for user information no request of ours carries.
  // False when the delegate is gone.
  bool deliverResponse(const NotificationResponse& response);

  bool hasDelegate() const { return !delegate_.expired(); }
  int authorizationRequestCount() const { return authorizationRequestCount_; }
  const std::vector<NotificationRequest>& posted() const { return posted_; }  // every request, delivered or not
  const std::vector<NotificationRequest>& delivered() const { return delivered_; }
  const std::vector<NotificationRequest>& dropped() const { return dropped_; }
  // Responses that reached the delegate, and calls of their completion handlers (from any
  // thread, at any time, even after this centre is gone).
  int responseCount() const { return responseCount_; }
  int completionCount() const { return *completionCount_; }

 private:
  RunLoop& runLoop_;
  std::weak_ptr<NotificationCenterDelegate> delegate_;
  bool authorizationAnswer_ = true;
  bool deliveryAllowed_ = true;
  int authorizationRequestCount_ = 0;
  std::vector<NotificationRequest> posted_;
  std::vector<NotificationRequest> delivered_;
  std::vector<NotificationRequest> dropped_;
  std::atomic<int> responseCount_ = 0;
  std::shared_ptr<std::atomic<int>> completionCount_;
};

}  // namespace CorlaMeetings
