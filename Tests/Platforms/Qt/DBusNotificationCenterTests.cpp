#include "Qt/DBusNotificationCenter.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Platforms/Qt/EventLoopSupport.h"
#include "Platforms/Qt/PrivateSessionBus.h"
#include "Platforms/Qt/QStringPrinting.h"

namespace CorlaMeetings {
namespace {

const QString kName = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

// A signal as the server sends it: ActionInvoked (id, action key) or NotificationClosed
// (id, reason).
void sendSignal(const QDBusConnection& connection, const char* name, uint id, const QVariant& second) {
  QDBusMessage signal = QDBusMessage::createSignal(kPath, kName, QString::fromLatin1(name));
  signal << id << second;
  connection.send(signal);
}

// A notification server on the test bus that records each Notify call; a notification's id
// is its place in `calls`, from 1. A virtual object, so that it needs no generated code.
class FakeServer : public QDBusVirtualObject {
 public:
  explicit FakeServer(QDBusConnection bus) : connection(std::move(bus)) {
    registered = this->connection.registerVirtualObject(kPath, this) && this->connection.registerService(kName);
  }
  ~FakeServer() override {
    connection.unregisterService(kName);
    connection.unregisterObject(kPath);
  }

  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
    if (message.member() == QStringLiteral("GetCapabilities")) return bus.send(message.createReply(capabilities));
    if (message.member() != QStringLiteral("Notify")) return false;
    calls.push_back(message);
    return bus.send(message.createReply(QVariant::fromValue(uint(calls.size()))));
  }

  QDBusConnection connection;
  bool registered = false;
  QStringList capabilities = {QStringLiteral("actions"), QStringLiteral("body"), QStringLiteral("body-markup")};
  std::vector<QDBusMessage> calls;
};

class RecordingDelegate : public NotificationCenterDelegate {
 public:
  void didReceive(const NotificationResponse& response, std::function<void()> completionHandler) override {
    responses.push_back(response);
    completionHandler();
  }
  std::vector<NotificationResponse> responses;
};

NotificationRequest reminder(std::string identifier, UserInfo userInfo = {{"joinURL", std::string("https://x.example/j/1")}}) {
  return {.identifier = std::move(identifier), .title = "Meeting soon", .body = "Review starts in 5m.",
          .defaultSound = true, .userInfo = std::move(userInfo)};
}

class DBusNotificationCenterTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(bus_.address().isEmpty()) << "dbus-daemon did not start";
    ASSERT_TRUE(server_->registered);
    center_->setDelegate(delegate_);
  }

  // Posts and waits until the server has it and the centre has its id back; that id.
  uint post(const NotificationRequest& request) {
    const std::size_t before = server_->calls.size();
    center_->add(request);
    EXPECT_TRUE(runEventsUntil([&] { return server_->calls.size() > before; }));
    runEventsFor(20);
    return static_cast<uint>(server_->calls.size());
  }

  // Clicks each of `ids`, then a notification posted as a marker, and waits for the marker:
  // the server's signals arrive in order, so whatever the clicks did has happened by then.
  // The identifiers the delegate was handed, the marker's left out.
  std::vector<std::string> click(const std::vector<uint>& ids, const QString& actionKey = QStringLiteral("default")) {
    const uint marker = post(reminder("marker"));
    const std::size_t before = delegate_->responses.size();
    for (uint id : ids) sendSignal(server_->connection, "ActionInvoked", id, actionKey);
    sendSignal(server_->connection, "ActionInvoked", marker, actionKey);
    EXPECT_TRUE(runEventsUntil([&] {
      return delegate_->responses.size() > before && delegate_->responses.back().identifier == "marker";
    }));
    std::vector<std::string> identifiers;
    for (std::size_t i = before; i + 1 < delegate_->responses.size(); ++i) {
      identifiers.push_back(delegate_->responses[i].identifier);
    }
    return identifiers;
  }

  PrivateSessionBus bus_;
  std::unique_ptr<FakeServer> server_ = std::make_unique<FakeServer>(bus_.connect());
  std::shared_ptr<RecordingDelegate> delegate_ = std::make_shared<RecordingDelegate>();
  std::unique_ptr<DBusNotificationCenter> center_ =
      std::make_unique<DBusNotificationCenter>(bus_.connect(), DBusNotificationCenter::Options{});
};

// Invite texts come from strangers: markup shows as text, and bytes D-Bus would refuse in a
// string do not lose the notification. Join is offered for a link string only.
TEST_F(DBusNotificationCenterTest, NotifiesWithTheBodyEscapedOnlyForAServerThatReadsMarkup) {
  NotificationRequest request = reminder("A1B2:C3-15");
  request.title = std::string("Meeting\0soon \xff\xed\xa0\x80", 16);
  request.body = R"(Tom & Jerry <b>"Q&A"</b> 'x')";
  post(request);
  server_->capabilities = {QStringLiteral("body")};
  request.userInfo = {{"joinURL", std::int64_t{42}}};
  request.defaultSound = false;
  post(request);

  ASSERT_EQ(server_->calls.size(), 2u);
  EXPECT_EQ(server_->calls[0].signature(), "susssasa{sv}i");
  const QVariantList arguments = server_->calls[0].arguments();
  EXPECT_EQ(arguments[0].toString(), "Velto");
  EXPECT_EQ(arguments[1].toUInt(), 0u);  // replaces nothing
  EXPECT_TRUE(arguments[3].toString().startsWith("Meetingsoon ")) << arguments[3].toString().toStdString();
  EXPECT_EQ(arguments[4].toString(), "Tom &amp; Jerry &lt;b&gt;&quot;Q&amp;A&quot;&lt;/b&gt; &#39;x&#39;");
  EXPECT_EQ(arguments[5].toStringList(), (QStringList{"default", "Join"}));
  const QVariantMap hints = qdbus_cast<QVariantMap>(arguments[6]);
  EXPECT_EQ(hints.value("sound-name").toString(), "message-new-instant");
  EXPECT_EQ(hints.value("desktop-entry").toString(), "velto");
  EXPECT_EQ(arguments[7].toInt(), -1);
  const QVariantList plain = server_->calls[1].arguments();
  EXPECT_EQ(plain[4].toString(), QString::fromStdString(request.body));
  EXPECT_TRUE(plain[5].toStringList().isEmpty());
  EXPECT_FALSE(qdbus_cast<QVariantMap>(plain[6]).contains("sound-name"));
}

TEST_F(DBusNotificationCenterTest, AClickFromTheServerOnALiveNotificationReachesTheDelegate) {
  const uint id = post(reminder("A1B2:C3-15", {{"joinURL", std::string("https://x.example/j/1?pwd=x")}}));
  const uint closed = post(reminder("closed"));
  sendSignal(server_->connection, "NotificationClosed", closed, 2u);
  // A stranger on the bus playing the server; the call after it makes sure the bus has
  // passed its signal on before the server's.
  QDBusConnection stranger = bus_.connect();
  sendSignal(stranger, "ActionInvoked", id, QStringLiteral("default"));
  stranger.interface()->serviceOwner(kName);

  EXPECT_EQ(click({id, closed, 9999}), std::vector<std::string>{"A1B2:C3-15"});
  ASSERT_EQ(delegate_->responses.size(), 2u);  // and the marker: nothing came of the stranger's
  EXPECT_EQ(delegate_->responses[0].userInfo, (UserInfo{{"joinURL", std::string("https://x.example/j/1?pwd=x")}}));
  EXPECT_EQ(click({id}, QStringLiteral("Join")), std::vector<std::string>{"A1B2:C3-15"});  // any action, every time
}

TEST(DBusNotificationCenterWithoutServer, PostingIsSilentAndAuthorizationStillGranted) {
  PrivateSessionBus bus;
  ASSERT_FALSE(bus.address().isEmpty());
  const QString brokenName = QStringLiteral("velto-test-broken");
  for (const QDBusConnection& connection :
       {bus.connect(), QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), brokenName)}) {
    DBusNotificationCenter center(connection, DBusNotificationCenter::Options{});
    std::vector<bool> answers;
    center.add(reminder("nobody listens"));
    center.requestAuthorization([&](bool granted) { answers.push_back(granted); });
    EXPECT_TRUE(answers.empty());  // later, from the event loop

    EXPECT_TRUE(runEventsUntil([&] { return !answers.empty(); }));
    EXPECT_EQ(answers, std::vector<bool>{true});
  }
  QDBusConnection::disconnectFromBus(brokenName);
}

}  // namespace
}  // namespace CorlaMeetings
