#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace CorlaMeetings {

// A D-Bus daemon of our own for one test: nothing of the user's session can answer on it,
// and no service on it is started on demand. Stopped when this object goes.
class PrivateSessionBus {
 public:
  PrivateSessionBus();
  ~PrivateSessionBus();
  PrivateSessionBus(const PrivateSessionBus&) = delete;
  PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

  // Empty when the daemon could not be started.
  const QString& address() const { return address_; }

  // A new connection to the bus, closed with the bus.
  QDBusConnection connect();

 private:
  QTemporaryDir directory_;
  QProcess daemon_;
  QString address_;
  QStringList connectionNames_;
};

}  // namespace CorlaMeetings
