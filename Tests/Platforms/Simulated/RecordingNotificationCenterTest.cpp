#include "Simulated/RecordingNotificationCenter.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "Simulated/SimulatedClock.h"
#include "Simulated/SimulatedRunLoop.h"

namespace CorlaMeetings {
namespace {

// Records responses and finishes each at once.
class ListeningDelegate : public NotificationCenterDelegate {
 public:
  void didReceive(const NotificationResponse& response, std::function<void()> completionHandler) override {
    responses.push_back(response);
    completionHandler();
  }
  std::vector<NotificationResponse> responses;
};

NotificationRequest reminder(std::string identifier, std::string link) {
  NotificationRequest request;
  request.identifier = std::move(identifier);
  request.title = "Meeting soon";
  request.userInfo["joinURL"] = std::move(link);
  return request;
}

class RecordingNotificationCenterTest : public testing::Test {
 protected:
  SimulatedClock clock;
  SimulatedRunLoop loop{clock};
  RecordingNotificationCenter center{loop};
  std::shared_ptr<ListeningDelegate> delegate = std::make_shared<ListeningDelegate>();
};

TEST_F(RecordingNotificationCenterTest, ClickHandsTheLatestDeliveredUserInfoToTheDelegate) {
  center.setDelegate(delegate);
  center.add(reminder("a-15", "https://example.com/old"));
  center.add(reminder("b-15", "https://example.com/other"));
  center.add(reminder("a-15", "https://example.com/new"));

  EXPECT_TRUE(center.click("a-15"));
  EXPECT_TRUE(center.click("a-15"));

  ASSERT_EQ(delegate->responses.size(), 2u);
  EXPECT_EQ(delegate->responses[1].identifier, "a-15");
  EXPECT_EQ(delegate->responses[1].userInfo.at("joinURL"), UserInfoValue{"https://example.com/new"});
  EXPECT_EQ(center.completionCount(), 2);
}

TEST_F(RecordingNotificationCenterTest, ClickReachesNoOneOnceTheDelegateIsGone) {
  center.setDelegate(delegate);
  center.add(reminder("a-15", "https://example.com/a"));
  delegate.reset();

  EXPECT_FALSE(center.click("a-15"));
  EXPECT_FALSE(center.deliverResponse({"a-15", {}}));
  EXPECT_EQ(center.responseCount(), 0);
}

TEST_F(RecordingNotificationCenterTest, WithoutDeliveryRequestsAreDroppedAndCannotBeClicked) {
  center.setDelegate(delegate);
  center.setDeliveryAllowed(false);
  center.add(reminder("a-15", "https://example.com/a"));

  EXPECT_EQ(center.posted().size(), 1u);
  EXPECT_EQ(center.dropped().size(), 1u);
  EXPECT_TRUE(center.delivered().empty());
  EXPECT_FALSE(center.click("a-15"));
}

TEST_F(RecordingNotificationCenterTest, AuthorizationIsAnsweredLaterThroughTheRunLoop) {
  center.answerAuthorizationWith(false);
  std::optional<bool> answer;
  center.requestAuthorization([&](bool granted) { answer = granted; });

  EXPECT_FALSE(answer);
  loop.runUntilIdle();
  EXPECT_EQ(answer, false);
}

}  // namespace
}  // namespace CorlaMeetings
