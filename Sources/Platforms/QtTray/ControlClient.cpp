#include "QtTray/ControlClient.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QString>
#include <utility>

#include "QtTray/VeltoBusNames.h"

namespace CorlaMeetings {

namespace {

ControlReply failed(std::string error) {
  ControlReply reply;
  reply.error = std::move(error);
  return reply;
}

std::string describe(const QDBusError& error) {
  if (error.name() == QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner")) return "velto is not running";
  switch (error.type()) {
    case QDBusError::ServiceUnknown: return "velto is not running";
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut: return "velto did not answer";
    default: return "the call to velto failed: " + error.message().toStdString();
  }
}

}  // namespace

ControlReply sendControlCommand(const QDBusConnection& connection, ControlCommand command, int timeoutMilliseconds) {
  if (!connection.isConnected()) return failed("no D-Bus session bus");
  QString method =
      command == ControlCommand::joinNextMeeting ? QStringLiteral("JoinNextMeeting") : QStringLiteral("Refresh");
  QDBusMessage call =
      QDBusMessage::createMethodCall(QString::fromLatin1(kVeltoServiceName), QString::fromLatin1(kVeltoObjectPath),
                                     QString::fromLatin1(kVeltoInterface), method);
  // A command for a running instance; it must not launch one through bus activation.
  call.setAutoStartService(false);
  QDBusMessage reply = connection.call(call, QDBus::Block, timeoutMilliseconds);
  if (reply.type() == QDBusMessage::ErrorMessage) return failed(describe(QDBusError(reply)));
  if (reply.type() != QDBusMessage::ReplyMessage) return failed("velto did not answer");
  ControlReply answer;
  answer.answered = true;
  if (command == ControlCommand::refresh) return answer;
  if (reply.signature() != QStringLiteral("b")) return failed("velto gave an unexpected answer");
  answer.joined = reply.arguments().value(0).toBool();
  return answer;
}

}  // namespace CorlaMeetings
