#include "Simulated/RecordingNotificationCenter.h"

#include <algorithm>
#include <utility>

namespace CorlaMeetings {

RecordingNotificationCenter::RecordingNotificationCenter(RunLoop& runLoop)
    : runLoop_(runLoop), completionCount_(std::make_shared<std::atomic<int>>(0)) {}

void RecordingNotificationCenter::setDelegate(std::weak_ptr<NotificationCenterDelegate> delegate) {
  delegate_ = std::move(delegate);
}

void RecordingNotificationCenter::requestAuthorization(std::function<void(bool granted)> completion) {
  ++authorizationRequestCount_;
  runLoop_.postTask([completion = std::move(completion)] {
    if (completion) completion(true);
  });
}

void RecordingNotificationCenter::add(const NotificationRequest& request) { posted_.push_back(request); }

bool RecordingNotificationCenter::click(const std::string& identifier) {
  auto found = std::find_if(posted_.rbegin(), posted_.rend(),
                            [&](const NotificationRequest& request) { return request.identifier == identifier; });
  if (found == posted_.rend()) return false;
  return deliverResponse({found->identifier, found->userInfo});
}

bool RecordingNotificationCenter::deliverResponse(const NotificationResponse& response) {
  std::shared_ptr<NotificationCenterDelegate> delegate = delegate_.lock();
  if (!delegate) return false;
  delegate->didReceive(response, [count = completionCount_] { ++*count; });
  return true;
}

}  // namespace CorlaMeetings
