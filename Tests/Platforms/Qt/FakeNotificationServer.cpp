#include "Platforms/Qt/FakeNotificationServer.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>

#include <utility>

namespace CorlaMeetings {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

}  // namespace

void sendActionInvoked(const QDBusConnection& connection, uint id, const QString& actionKey) {
  QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, QStringLiteral("ActionInvoked"));
  signal << id << actionKey;
  connection.send(signal);
}

FakeNotificationServer::FakeNotificationServer(QDBusConnection connection) : connection_(std::move(connection)) {
  registered_ = connection_.registerVirtualObject(kPath, this) && connection_.registerService(kService);
}

FakeNotificationServer::~FakeNotificationServer() {
  connection_.unregisterService(kService);
  connection_.unregisterObject(kPath);
}

void FakeNotificationServer::invokeAction(uint id, const QString& actionKey) {
  sendActionInvoked(connection_, id, actionKey);
}

void FakeNotificationServer::close(uint id) {
  QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, QStringLiteral("NotificationClosed"));
  signal << id << uint(2);  // dismissed by the user
  connection_.send(signal);
}

QString FakeNotificationServer::introspect(const QString&) const {
  return QStringLiteral(R"(<interface name="org.freedesktop.Notifications">
  <method name="GetCapabilities"><arg type="as" direction="out"/></method>
  <method name="Notify">
    <arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
    <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
    <arg type="a{sv}" direction="in"/><arg type="i" direction="in"/><arg type="u" direction="out"/>
  </method>
  <method name="CloseNotification"><arg type="u" direction="in"/></method>
  <method name="GetServerInformation">
    <arg type="s" direction="out"/><arg type="s" direction="out"/>
    <arg type="s" direction="out"/><arg type="s" direction="out"/>
  </method>
  <signal name="NotificationClosed"><arg type="u"/><arg type="u"/></signal>
  <signal name="ActionInvoked"><arg type="u"/><arg type="s"/></signal>
</interface>
)");
}

bool FakeNotificationServer::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
  if (message.interface() != kInterface) return false;
  const QString method = message.member();
  if (method == QStringLiteral("GetCapabilities")) {
    return connection.send(message.createReply(QVariant(capabilities_)));
  }
  if (method == QStringLiteral("GetServerInformation")) {
    return connection.send(message.createReply(
        {QStringLiteral("fake"), QStringLiteral("velto tests"), QStringLiteral("1.0"), QStringLiteral("1.2")}));
  }
  if (method == QStringLiteral("CloseNotification")) {
    close(message.arguments().value(0).toUInt());
    return connection.send(message.createReply());
  }
  if (method != QStringLiteral("Notify")) return false;

  const QVariantList arguments = message.arguments();
  Notification notification;
  notification.id = nextId_++;
  notification.signature = message.signature();
  if (arguments.size() == 8) {
    notification.appName = arguments[0].toString();
    notification.replacesId = arguments[1].toUInt();
    notification.appIcon = arguments[2].toString();
    notification.summary = arguments[3].toString();
    notification.body = arguments[4].toString();
    notification.actions = arguments[5].toStringList();
    notification.hints = qdbus_cast<QVariantMap>(arguments[6]);
    notification.expireTimeout = arguments[7].toInt();
  }
  notifications_.push_back(notification);
  return connection.send(message.createReply(QVariant::fromValue(notification.id)));
}

}  // namespace CorlaMeetings
