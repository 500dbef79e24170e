#include "Qt/DBusNotificationCenter.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platforms/Qt/EventLoopSupport.h"
#include "Platforms/Qt/FakeNotificationServer.h"
#include "Platforms/Qt/PrivateSessionBus.h"
#include "Platforms/Qt/QStringPrinting.h"
#include "Qt/ReminderPostingRight.h"

namespace CorlaMeetings::Testing {
namespace {

using Claim = ReminderPostingRight::Claim;
using FakeServer = FakeNotificationServer;

// A signal as the server sends it: ActionInvoked (id, action key) or NotificationClosed
// (id, reason).
void sendSignal(const QDBusConnection& connection, const char* name, uint id, const QVariant& second) {
  QDBusMessage signal = QDBusMessage::createSignal(FakeServer::kPath, FakeServer::kName, QString::fromLatin1(name));
  signal << id << second;
  connection.send(signal);
}

class RecordingDelegate : public NotificationCenterDelegate {
 public:
  void didReceive(const NotificationResponse& response, std::function<void()> completionHandler) override {
    responses.push_back(response);
    completionHandler();
  }
  std::vector<NotificationResponse> responses;
};

NotificationRequest reminder(std::string identifier,
                             UserInfo userInfo = {{"joinURL", std::string("https://x.example/j/1")}}) {
  return {.identifier = std::move(identifier),
          .title = "Meeting soon",
          .body = "Review starts in 5m.",
          .defaultSound = true,
          .userInfo = std::move(userInfo)};
}

// One Velto process as the bus sees it: its own connection, its claim on the posting right
// (none: it always posts), its centre.
struct VeltoProcess {
  VeltoProcess(QDBusConnection bus, std::optional<Claim> claim, DBusNotificationCenter::Options options = {})
      : connection(std::move(bus)) {
    if (claim) right = std::make_unique<ReminderPostingRight>(connection, *claim);
    center = std::make_unique<DBusNotificationCenter>(connection, std::move(options), right.get());
    center->setDelegate(delegate);
  }

  QDBusConnection connection;
  std::unique_ptr<ReminderPostingRight> right;
  std::unique_ptr<DBusNotificationCenter> center;
  std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
};

// One bus for the whole program; each test gets a fresh server and centre on it.
class DBusNotificationCenterTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(bus_->address().isEmpty()) << "dbus-daemon did not start";
    ASSERT_TRUE(server_->registered);
  }

  std::unique_ptr<VeltoProcess> start(std::optional<Claim> claim, DBusNotificationCenter::Options options = {}) {
    return std::make_unique<VeltoProcess>(bus_->connect(), claim, std::move(options));
  }

  // Posts and waits until the server has it and the centre has its id back; that id.
  uint post(const NotificationRequest& request, DBusNotificationCenter* center = nullptr) {
    const std::size_t before = server_->calls.size();
    (center ? center : velto_->center.get())->add(request);
    EXPECT_TRUE(runEventsUntil([&] { return server_->calls.size() > before; }));
    runEventsFor(20);
    return server_->lastGiven;
  }

  // Each of `processes` posts `request`; the unique names of those whose Notify reached the
  // server. Every centre asks for the capabilities first, so once all have asked and a
  // moment has passed, whatever was to be posted has been.
  std::vector<QString> postersOf(const NotificationRequest& request, const std::vector<VeltoProcess*>& processes) {
    const std::size_t before = server_->calls.size();
    const int asked = server_->capabilityRequests;
    for (VeltoProcess* process : processes) process->center->add(request);
    EXPECT_TRUE(
        runEventsUntil([&] { return server_->capabilityRequests == asked + static_cast<int>(processes.size()); }));
    runEventsFor(50);
    std::vector<QString> posters;
    for (std::size_t i = before; i < server_->calls.size(); ++i) posters.push_back(server_->calls[i].service());
    return posters;
  }

  // Clicks each of `ids`, then a notification posted as a marker, and waits for the marker:
  // the server's signals arrive in order, so whatever the clicks did has happened by then.
  // The identifiers the delegate was handed, the marker's left out.
  std::vector<std::string> click(const std::vector<uint>& ids, const QString& actionKey = QStringLiteral("default")) {
    const uint marker = post(reminder("marker"));
    std::vector<NotificationResponse>& responses = velto_->delegate->responses;
    const std::size_t before = responses.size();
    for (uint id : ids) sendSignal(server_->connection, "ActionInvoked", id, actionKey);
    sendSignal(server_->connection, "ActionInvoked", marker, actionKey);
    EXPECT_TRUE(runEventsUntil([&] { return responses.size() > before && responses.back().identifier == "marker"; }));
    std::vector<std::string> identifiers;
    for (std::size_t i = before; i + 1 < responses.size(); ++i) identifiers.push_back(responses[i].identifier);
    return identifiers;
  }

  PrivateSessionBus* bus_ = &testBus();
  std::unique_ptr<FakeServer> server_ = std::make_unique<FakeServer>(bus_->connect());
  std::unique_ptr<VeltoProcess> velto_ =
      start(std::nullopt, {.appIcon = QStringLiteral("file:///opt/velto/share/icons/hicolor/scalable/apps/velto.svg")});
};

// Invite texts come from strangers: markup shows as text, and bytes D-Bus would refuse in a
// string do not lose the notification. Join is offered for a link string only.
TEST_F(DBusNotificationCenterTest, NotifiesWithIconHintsAndTheBodyEscapedOnlyForAServerThatReadsMarkup) {
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
  EXPECT_EQ(arguments[2].toString(), "file:///opt/velto/share/icons/hicolor/scalable/apps/velto.svg");
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

TEST_F(DBusNotificationCenterTest, AClickOnALiveNotificationReachesTheDelegateOnceAndClosesIt) {
  const uint id = post(reminder("A1B2:C3-15", {{"joinURL", std::string("https://x.example/j/1?pwd=x")}}));
  const uint closed = post(reminder("closed"));
  sendSignal(server_->connection, "NotificationClosed", closed, 2u);
  // A stranger on the bus playing the server; the call after it makes sure the bus has
  // passed its signal on before the server's.
  QDBusConnection stranger = bus_->connect();
  sendSignal(stranger, "ActionInvoked", id, QStringLiteral("default"));
  stranger.interface()->serviceOwner(FakeServer::kName);

  EXPECT_EQ(click({id, closed, 9999}), std::vector<std::string>{"A1B2:C3-15"});
  ASSERT_EQ(velto_->delegate->responses.size(), 2u);  // and the marker: nothing came of the stranger's
  EXPECT_EQ(velto_->delegate->responses[0].userInfo,
            (UserInfo{{"joinURL", std::string("https://x.example/j/1?pwd=x")}}));
  const uint marker = server_->lastGiven;
  // The closing calls go out after the clicks are answered, and may still be on their way.
  runEventsUntil([&] { return server_->closed.size() >= 2; });
  EXPECT_EQ(server_->closed, (std::vector<uint>{id, marker}));

  const uint other = post(reminder("other"));
  EXPECT_EQ(click({id, other}, QStringLiteral("Join")), std::vector<std::string>{"other"});  // any action, once
}

TEST_F(DBusNotificationCenterTest, OnlyTheHolderOfThePostingRightPostsAndTheNextInLineTakesOver) {
  velto_.reset();
  std::unique_ptr<VeltoProcess> firstWatcher = start(Claim::waitInLine);
  std::unique_ptr<VeltoProcess> secondWatcher = start(Claim::waitInLine);
  EXPECT_EQ(postersOf(reminder("a-15"), {firstWatcher.get(), secondWatcher.get()}),
            std::vector<QString>{firstWatcher->connection.baseService()});

  std::unique_ptr<VeltoProcess> tray = start(Claim::takeOver);
  EXPECT_TRUE(tray->right->isHeld());
  EXPECT_TRUE(runEventsUntil([&] { return !firstWatcher->right->isHeld(); }));
  EXPECT_EQ(postersOf(reminder("b-15"), {firstWatcher.get(), secondWatcher.get(), tray.get()}),
            std::vector<QString>{tray->connection.baseService()});

  // The watcher the tray replaced is next in line again.
  tray.reset();
  EXPECT_TRUE(runEventsUntil([&] { return firstWatcher->right->isHeld(); }));
  EXPECT_FALSE(secondWatcher->right->isHeld());
  EXPECT_EQ(postersOf(reminder("c-15"), {firstWatcher.get(), secondWatcher.get()}),
            std::vector<QString>{firstWatcher->connection.baseService()});

  firstWatcher.reset();
  EXPECT_TRUE(runEventsUntil([&] { return secondWatcher->right->isHeld(); }));
  EXPECT_EQ(postersOf(reminder("d-15"), {secondWatcher.get()}),
            std::vector<QString>{secondWatcher->connection.baseService()});
}

// As after a restart, or a watcher taking over from the tray: the file is all they share.
TEST_F(DBusNotificationCenterTest, AReminderShownEarlierInTheSessionReplacesItsNotification) {
  QTemporaryDir runtime;
  const DBusNotificationCenter::Options withStore{.shownRemindersPath = runtime.filePath("velto/shown-reminders")};
  std::unique_ptr<VeltoProcess> earlier = start(std::nullopt, withStore);
  const uint shown = post(reminder("design@x-15"), earlier->center.get());
  earlier.reset();

  velto_ = start(std::nullopt, withStore);
  EXPECT_EQ(post(reminder("design@x-15")), shown);
  EXPECT_EQ(server_->calls.back().arguments()[1].toUInt(), shown);
  post(reminder("design@x-10"));
  EXPECT_EQ(server_->calls.back().arguments()[1].toUInt(), 0u);

  // A restarted server counts afresh: the old id would name another notification there.
  server_.reset();
  server_ = std::make_unique<FakeServer>(bus_->connect());
  ASSERT_TRUE(server_->registered);
  server_->lastId = 40;
  post(reminder("design@x-15"));
  EXPECT_EQ(server_->calls.back().arguments()[1].toUInt(), 0u);
}

// Both hold the notification's id; only the one that posted it last opens the link, or the
// meeting would open twice.
TEST_F(DBusNotificationCenterTest, AClickIsAnsweredOnlyByTheProcessThatPostedTheNotificationLast) {
  QTemporaryDir runtime;
  const DBusNotificationCenter::Options withStore{.shownRemindersPath = runtime.filePath("velto/shown-reminders")};
  std::unique_ptr<VeltoProcess> watcher = start(std::nullopt, withStore);
  const uint id = post(reminder("design@x-15"), watcher->center.get());
  velto_ = start(std::nullopt, withStore);
  ASSERT_EQ(post(reminder("design@x-15")), id);

  EXPECT_EQ(click({id}), std::vector<std::string>{"design@x-15"});
  runEventsFor(50);
  EXPECT_TRUE(watcher->delegate->responses.empty());
}

TEST_F(DBusNotificationCenterTest, WithoutAServerPostingIsSilentAndAuthorizationStillGranted) {
  server_.reset();
  const QString brokenName = QStringLiteral("velto-test-broken");
  for (const QDBusConnection& connection :
       {bus_->connect(), QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), brokenName)}) {
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
}  // namespace CorlaMeetings::Testing
