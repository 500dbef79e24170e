#include "Qt/DBusNotificationCenter.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Platforms/Qt/EventLoopSupport.h"
#include "Platforms/Qt/FakeNotificationServer.h"
#include "Platforms/Qt/PrivateSessionBus.h"
#include "Platforms/Qt/QStringPrinting.h"

namespace CorlaMeetings {
namespace {

class RecordingDelegate : public NotificationCenterDelegate {
 public:
  void didReceive(const NotificationResponse& response, std::function<void()> completionHandler) override {
    responses.push_back(response);
    if (completionHandler) completionHandler();
  }

  std::vector<NotificationResponse> responses;
};

NotificationRequest reminder(std::string identifier, std::string joinURL = "https://example.com/j/1") {
  NotificationRequest request{.identifier = std::move(identifier),
                              .title = "Meeting soon",
                              .body = "Design review starts in 5m.",
                              .defaultSound = true};
  if (!joinURL.empty()) request.userInfo["joinURL"] = joinURL;
  return request;
}

class DBusNotificationCenterTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(bus_.address().isEmpty()) << "dbus-daemon did not start";
    server_ = std::make_unique<FakeNotificationServer>(bus_.connect());
    ASSERT_TRUE(server_->isRegistered());
    center_ = std::make_unique<DBusNotificationCenter>(bus_.connect(), DBusNotificationCenter::Options{});
    center_->setDelegate(delegate_);
  }

  void TearDown() override {
    center_.reset();
    server_.reset();
  }

  // Posts and waits until the server has it; its id there.
  uint post(const NotificationRequest& request) {
    std::size_t before = server_->notifications().size();
    center_->add(request);
    EXPECT_TRUE(runEventsUntil([&] { return server_->notifications().size() > before; }));
    // The id comes back in the reply; let the centre read it.
    runEventsFor(10);
    return server_->notifications().empty() ? 0 : server_->notifications().back().id;
  }

  // Clicks `id`, then a known notification as a marker, and waits for the marker: whatever
  // the first click did has happened by then.
  std::vector<NotificationResponse> responsesToClick(uint id, const QString& actionKey = QStringLiteral("default")) {
    std::string markerIdentifier = "marker-" + std::to_string(++markerCount_);
    uint marker = post(reminder(markerIdentifier));
    std::size_t before = delegate_->responses.size();
    server_->invokeAction(id, actionKey);
    server_->invokeAction(marker, QStringLiteral("default"));
    EXPECT_TRUE(runEventsUntil([&] {
      return !delegate_->responses.empty() && delegate_->responses.back().identifier == markerIdentifier;
    }));
    std::vector<NotificationResponse> responses(delegate_->responses.begin() + before, delegate_->responses.end());
    if (!responses.empty()) responses.pop_back();  // the marker
    return responses;
  }

  PrivateSessionBus bus_;
  std::unique_ptr<FakeNotificationServer> server_;
  std::shared_ptr<RecordingDelegate> delegate_ = std::make_shared<RecordingDelegate>();
  std::unique_ptr<DBusNotificationCenter> center_;
  int markerCount_ = 0;
};

TEST_F(DBusNotificationCenterTest, NotifiesWithTitleEscapedBodyJoinActionAndHints) {
  NotificationRequest request = reminder("A1B2:C3-15");
  request.body = R"(Tom & Jerry <b>"Q&A"</b> 'x' starts in 5m.)";
  post(request);

  ASSERT_EQ(server_->notifications().size(), 1u);
  const FakeNotificationServer::Notification& shown = server_->notifications()[0];
  EXPECT_EQ(shown.signature, "susssasa{sv}i");
  EXPECT_EQ(shown.appName, "Velto");
  EXPECT_EQ(shown.replacesId, 0u);
  EXPECT_EQ(shown.summary, "Meeting soon");
  EXPECT_EQ(shown.body, "Tom &amp; Jerry &lt;b&gt;&quot;Q&amp;A&quot;&lt;/b&gt; &#39;x&#39; starts in 5m.");
  EXPECT_EQ(shown.actions, (QStringList{"default", "Join"}));
  EXPECT_EQ(shown.hints.value("sound-name").toString(), "message-new-instant");
  EXPECT_EQ(shown.hints.value("desktop-entry").toString(), "velto");
  EXPECT_EQ(shown.expireTimeout, -1);
}

TEST_F(DBusNotificationCenterTest, OffersJoinOnlyForAJoinLinkStringAndSoundOnlyWhenAsked) {
  struct Case {
    const char* name;
    UserInfo userInfo;
    bool defaultSound;
    bool offersJoin;
  };
  const std::vector<Case> cases = {
      {"link", {{"joinURL", std::string("https://example.com/j/1")}}, true, true},
      {"no user information", {}, true, false},
      {"a number", {{"joinURL", std::int64_t{42}}}, false, false},
      {"another key", {{"link", std::string("https://example.com/j/1")}}, false, false},
  };
  for (const Case& c : cases) {
    NotificationRequest request = reminder(c.name, "");
    request.userInfo = c.userInfo;
    request.defaultSound = c.defaultSound;
    post(request);
    ASSERT_FALSE(server_->notifications().empty());
    EXPECT_EQ(!server_->notifications().back().actions.isEmpty(), c.offersJoin) << c.name;
    EXPECT_EQ(server_->notifications().back().hints.contains("sound-name"), c.defaultSound) << c.name;
  }
}

TEST_F(DBusNotificationCenterTest, SendsThePlainBodyToAServerWithoutMarkup) {
  server_->setCapabilities({"actions", "body"});
  NotificationRequest request = reminder("plain");
  request.body = "R&D <sync> starts in 5m.";
  post(request);

  ASSERT_EQ(server_->notifications().size(), 1u);
  EXPECT_EQ(server_->notifications()[0].body, "R&D <sync> starts in 5m.");
}

TEST_F(DBusNotificationCenterTest, HostileTextStillReachesTheServer) {
  NotificationRequest request = reminder("hostile");
  request.title = std::string("Meeting\0soon", 12);
  request.body = "\xff\xfe bad UTF-8, \xef\xbf\xbf a noncharacter, \xed\xa0\x80 a surrogate";
  post(request);

  ASSERT_EQ(server_->notifications().size(), 1u);
  EXPECT_EQ(server_->notifications()[0].summary, "Meetingsoon");
  EXPECT_TRUE(server_->notifications()[0].body.contains("bad UTF-8"));
}

TEST_F(DBusNotificationCenterTest, ClickHandsTheDelegateTheIdentifierAndUserInformation) {
  uint id = post(reminder("A1B2:C3-15", "https://example.com/j/1?pwd=x"));

  std::vector<NotificationResponse> responses = responsesToClick(id);
  ASSERT_EQ(responses.size(), 1u);
  EXPECT_EQ(responses[0].identifier, "A1B2:C3-15");
  EXPECT_EQ(responses[0].userInfo, (UserInfo{{"joinURL", std::string("https://example.com/j/1?pwd=x")}}));

  // Every click counts, and any action key is the click.
  EXPECT_EQ(responsesToClick(id, QStringLiteral("Join")).size(), 1u);
}

TEST_F(DBusNotificationCenterTest, IgnoresClicksOnNotificationsItDidNotPostOrThatClosed) {
  uint closed = post(reminder("closed"));
  server_->close(closed);

  EXPECT_TRUE(responsesToClick(closed).empty());
  EXPECT_TRUE(responsesToClick(9999).empty());
}

TEST_F(DBusNotificationCenterTest, IgnoresClicksSentByAStrangerOnTheBus) {
  uint id = post(reminder("mine"));
  QDBusConnection stranger = bus_.connect();
  sendActionInvoked(stranger, id, QStringLiteral("default"));
  runEventsFor(100);

  EXPECT_TRUE(delegate_->responses.empty());
}

TEST_F(DBusNotificationCenterTest, ForgetsTheOldestBeyondItsLimit) {
  const std::size_t count = DBusNotificationCenter::kRememberedNotifications + 1;
  for (std::size_t i = 0; i < count; ++i) center_->add(reminder(std::to_string(i)));
  ASSERT_TRUE(runEventsUntil([&] { return server_->notifications().size() == count; }));
  runEventsFor(50);  // for the last replies
  uint oldest = server_->notifications().front().id;
  uint newest = server_->notifications().back().id;

  EXPECT_TRUE(responsesToClick(oldest).empty());
  ASSERT_EQ(responsesToClick(newest).size(), 1u);
}

TEST_F(DBusNotificationCenterTest, ClickAfterTheDelegateIsGoneDoesNothing) {
  uint id = post(reminder("orphan"));
  std::weak_ptr<RecordingDelegate> weak = delegate_;
  delegate_.reset();
  server_->invokeAction(id, QStringLiteral("default"));
  runEventsFor(50);

  EXPECT_TRUE(weak.expired());
}

TEST_F(DBusNotificationCenterTest, AnswersAuthorizationWithYesLater) {
  std::vector<bool> answers;
  center_->requestAuthorization([&](bool granted) { answers.push_back(granted); });
  EXPECT_TRUE(answers.empty());

  ASSERT_TRUE(runEventsUntil([&] { return !answers.empty(); }));
  EXPECT_EQ(answers, std::vector<bool>{true});
}

// At login the notification server may come up after us, or be restarted under us.
TEST_F(DBusNotificationCenterTest, FollowsAServerThatStartsLater) {
  server_.reset();
  center_ = std::make_unique<DBusNotificationCenter>(bus_.connect(), DBusNotificationCenter::Options{});
  center_->setDelegate(delegate_);
  server_ = std::make_unique<FakeNotificationServer>(bus_.connect());
  ASSERT_TRUE(server_->isRegistered());
  runEventsFor(50);

  uint id = post(reminder("late server"));
  std::vector<NotificationResponse> responses = responsesToClick(id);
  ASSERT_EQ(responses.size(), 1u);
  EXPECT_EQ(responses[0].identifier, "late server");
}

TEST(DBusNotificationCenterWithoutServer, PostingIsSilentAndDoesNotWait) {
  PrivateSessionBus bus;
  ASSERT_FALSE(bus.address().isEmpty());
  QDBusConnection broken = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                         QStringLiteral("velto-test-broken"));
  for (QDBusConnection connection : {bus.connect(), broken}) {
    DBusNotificationCenter center(connection, DBusNotificationCenter::Options{});
    auto delegate = std::make_shared<RecordingDelegate>();
    center.setDelegate(delegate);

    QElapsedTimer elapsed;
    elapsed.start();
    center.add(reminder("nobody listens"));
    EXPECT_LT(elapsed.elapsed(), 200);
    runEventsFor(100);
    EXPECT_TRUE(delegate->responses.empty());
  }
  QDBusConnection::disconnectFromBus(QStringLiteral("velto-test-broken"));
}

}  // namespace
}  // namespace CorlaMeetings
