#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QObject>
#include <QString>
#include <QVariant>
#include <vector>

#include "Platforms/Qt/EventLoopSupport.h"

namespace CorlaMeetings {

// Calls and runs the event loop until the answer is in, since the callee may live in this
// very thread. An error message when none came in time.
inline QDBusMessage callAndWait(const QDBusConnection& connection, const QDBusMessage& call) {
  QDBusPendingCall pending = connection.asyncCall(call, 3000);
  runEventsUntil([&] { return pending.isFinished(); }, 4000);
  return pending.isFinished() ? pending.reply() : call.createErrorReply(QDBusError::Timeout, QStringLiteral("test"));
}

inline QDBusMessage callMethod(const QDBusConnection& connection, const QString& service, const QString& path,
                               const QString& interface, const QString& method, const QVariantList& arguments = {}) {
  QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
  call.setArguments(arguments);
  return callAndWait(connection, call);
}

// A property as org.freedesktop.DBus.Properties.Get answers it; a QDBusArgument for
// compound types. Invalid on an error.
inline QVariant readProperty(const QDBusConnection& connection, const QString& service, const QString& path,
                             const QString& interface, const QString& name) {
  QDBusMessage reply = callMethod(connection, service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                  QStringLiteral("Get"), {interface, name});
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
  return qvariant_cast<QDBusVariant>(reply.arguments().first()).variant();
}

// Records every signal of one interface from one sender.
class SignalRecorder : public QObject {
  Q_OBJECT

 public:
  SignalRecorder(QDBusConnection connection, const QString& service, const QString& path, const QString& interface)
      : connection_(std::move(connection)) {
    connected_ = connection_.connect(service, path, interface, QString(), this, SLOT(record(QDBusMessage)));
  }

  bool isConnected() const { return connected_; }
  std::vector<QDBusMessage> received;

  std::vector<QString> names() const {
    std::vector<QString> result;
    for (const QDBusMessage& message : received) result.push_back(message.member());
    return result;
  }

 public slots:
  void record(const QDBusMessage& message) { received.push_back(message); }

 private:
  QDBusConnection connection_;
  bool connected_ = false;
};

}  // namespace CorlaMeetings
