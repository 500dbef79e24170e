#include "QtTray/SingleInstance.h"

#include <QDBusConnectionInterface>
#include <QString>

#include "QtTray/VeltoBusNames.h"

namespace CorlaMeetings {

SingleInstance::SingleInstance(QDBusConnection connection) : connection_(std::move(connection)) {
  if (!connection_.isConnected()) return;
  // registerService asks without queueing: a second instance must hear "taken" now, not
  // wait in line to inherit the name.
  QString name = QString::fromLatin1(kVeltoServiceName);
  ownsName_ = connection_.registerService(name);
  // A refusal for another reason than an owner tells nothing about other instances.
  if (!ownsName_) isFirst_ = !connection_.interface()->isServiceRegistered(name).value();
}

SingleInstance::~SingleInstance() {
  if (ownsName_) connection_.unregisterService(QString::fromLatin1(kVeltoServiceName));
}

}  // namespace CorlaMeetings
