#include "Qt/ReminderPostingRight.h"

#include <QDBusMessage>
#include <QDBusReply>

namespace CorlaMeetings {

namespace {

const QString kBus = QStringLiteral("org.freedesktop.DBus");
const QString kBusPath = QStringLiteral("/org/freedesktop/DBus");

// RequestName's flags and answers, from the bus's interface.
constexpr uint kAllowReplacement = 0x1;
constexpr uint kReplaceExisting = 0x2;
constexpr uint kPrimaryOwner = 1;
constexpr uint kAlreadyOwner = 4;

QDBusMessage busCall(const QString& method, const QVariantList& arguments) {
  QDBusMessage message = QDBusMessage::createMethodCall(kBus, kBusPath, kBus, method);
  message.setArguments(arguments);
  return message;
}

}  // namespace

const QString ReminderPostingRight::kName = QStringLiteral("org.velto.Velto.Reminders");

ReminderPostingRight::ReminderPostingRight(QDBusConnection connection, Claim claim, QString name)
    : connection_(std::move(connection)), name_(std::move(name)) {
  if (!connection_.isConnected()) return;
  // Both signals come to this connection alone; a change before the answer below is
  // already in the answer.
  connection_.connect(kBus, kBusPath, kBus, QStringLiteral("NameAcquired"), this, SLOT(onNameAcquired(QString)));
  connection_.connect(kBus, kBusPath, kBus, QStringLiteral("NameLost"), this, SLOT(onNameLost(QString)));
  // Neither claim passes "do not queue": the tray waits too, should a tray ever hold it.
  uint flags = claim == Claim::takeOver ? kReplaceExisting : kAllowReplacement;
  QDBusReply<uint> answer = connection_.call(busCall(QStringLiteral("RequestName"), {name_, flags}));
  held_ = answer.isValid() && (answer.value() == kPrimaryOwner || answer.value() == kAlreadyOwner);
}

ReminderPostingRight::~ReminderPostingRight() {
  if (!connection_.isConnected()) return;
  connection_.disconnect(kBus, kBusPath, kBus, QStringLiteral("NameAcquired"), this, SLOT(onNameAcquired(QString)));
  connection_.disconnect(kBus, kBusPath, kBus, QStringLiteral("NameLost"), this, SLOT(onNameLost(QString)));
  // Sent without waiting: the process may be on its way out, and the bus frees the name
  // of a closed connection anyway.
  connection_.send(busCall(QStringLiteral("ReleaseName"), {name_}));
}

void ReminderPostingRight::onNameAcquired(const QString& name) {
  if (name == name_) held_ = true;
}

void ReminderPostingRight::onNameLost(const QString& name) {
  if (name == name_) held_ = false;
}

}  // namespace CorlaMeetings
