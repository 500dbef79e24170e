#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <set>
#include <vector>

namespace CorlaMeetings::Testing {

// A notification server on a test bus (org.freedesktop.Notifications) that records what it
// is asked. Ids count from 1; a Notify that names a live notification in replaces_id gets
// that id back, as real servers do. A virtual object, so that it needs no generated code.
class FakeNotificationServer : public QDBusVirtualObject {
 public:
  static inline const QString kName = QStringLiteral("org.freedesktop.Notifications");
  static inline const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

  explicit FakeNotificationServer(QDBusConnection bus) : connection(std::move(bus)) {
    registered = connection.registerVirtualObject(kPath, this) && connection.registerService(kName);
  }
  ~FakeNotificationServer() override {
    connection.unregisterService(kName);
    connection.unregisterObject(kPath);
  }

  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
    const QString member = message.member();
    if (member == QStringLiteral("GetCapabilities")) {
      ++capabilityRequests;
      return bus.send(message.createReply(capabilities));
    }
    if (member == QStringLiteral("CloseNotification")) {
      const uint id = message.arguments().value(0).toUInt();
      closed.push_back(id);
      live.erase(id);
      return bus.send(message.createReply());
    }
    if (member != QStringLiteral("Notify")) return false;
    calls.push_back(message);
    uint id = message.arguments().value(1).toUInt();
    if (!live.contains(id)) id = ++lastId;
    live.insert(id);
    lastGiven = id;
    return bus.send(message.createReply(QVariant::fromValue(id)));
  }

  // The unique bus name notifications come from.
  QString uniqueName() const { return connection.baseService(); }

  QDBusConnection connection;
  bool registered = false;
  QStringList capabilities = {QStringLiteral("actions"), QStringLiteral("body"), QStringLiteral("body-markup")};
  std::vector<QDBusMessage> calls;  // Notify, in order
  std::vector<uint> closed;         // CloseNotification's ids, in order
  int capabilityRequests = 0;
  std::set<uint> live;
  uint lastId = 0;
  uint lastGiven = 0;  // the id the latest Notify got
};

}  // namespace CorlaMeetings::Testing
