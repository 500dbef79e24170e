#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <vector>

namespace CorlaMeetings {

// A notification server on a test bus that records what it is asked to show and plays the
// user's clicks and dismissals. A virtual object, so that it needs no generated code.
class FakeNotificationServer : public QDBusVirtualObject {
 public:
  struct Notification {
    uint id = 0;
    QString signature;  // of the Notify call as it came over the bus
    QString appName;
    uint replacesId = 0;
    QString appIcon;
    QString summary;
    QString body;
    QStringList actions;
    QVariantMap hints;
    int expireTimeout = 0;
  };

  // Takes the server's name and object path on `connection`.
  explicit FakeNotificationServer(QDBusConnection connection);
  ~FakeNotificationServer() override;

  bool isRegistered() const { return registered_; }
  void setCapabilities(QStringList capabilities) { capabilities_ = std::move(capabilities); }
  const std::vector<Notification>& notifications() const { return notifications_; }

  // Signals, as the server sends them.
  void invokeAction(uint id, const QString& actionKey);
  void close(uint id);

  QString introspect(const QString& path) const override;
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

 private:
  QDBusConnection connection_;
  bool registered_ = false;
  QStringList capabilities_ = {QStringLiteral("actions"), QStringLiteral("body"), QStringLiteral("body-markup"),
                               QStringLiteral("sound")};
  std::vector<Notification> notifications_;
  uint nextId_ = 1;
};

// A signal like the server's, from any connection: a stranger on the bus playing a click.
void sendActionInvoked(const QDBusConnection& connection, uint id, const QString& actionKey);

}  // namespace CorlaMeetings
