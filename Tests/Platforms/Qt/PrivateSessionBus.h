#pragma once

#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace CorlaMeetings::Testing {

// A D-Bus daemon of our own: nothing of the user's session can answer on it. No service on
// it is started on demand unless `serviceDir` names where to find them; they then see
// `environment`. Stopped when this object goes.
class PrivateSessionBus {
 public:
  explicit PrivateSessionBus(const QString& serviceDir = {},
                             const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    const QString configPath = directory_.filePath(QStringLiteral("bus.conf"));
    QFile config(configPath);
    if (!directory_.isValid() || !config.open(QIODevice::WriteOnly)) return;
    config.write(
        QStringLiteral("<busconfig><type>session</type><listen>unix:dir=%1</listen><auth>EXTERNAL</auth>%2"
                       "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                       "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>")
            .arg(directory_.path(), serviceDir.isEmpty() ? QString() : "<servicedir>" + serviceDir + "</servicedir>")
            .toUtf8());
    config.close();
    // Unprivileged, it complains of the file limit it cannot raise on every start.
    daemon_.setStandardErrorFile(QProcess::nullDevice());
    daemon_.setProcessEnvironment(environment);
    daemon_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + configPath,
                                                  QStringLiteral("--print-address"), QStringLiteral("--nofork")});
    QDeadlineTimer deadline(10000);
    while (!daemon_.canReadLine() && !deadline.hasExpired() && daemon_.state() != QProcess::NotRunning) {
      daemon_.waitForReadyRead(100);
    }
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
  }

  ~PrivateSessionBus() {
    for (const QString& name : connectionNames_) QDBusConnection::disconnectFromBus(name);
    daemon_.terminate();
    if (!daemon_.waitForFinished(3000)) daemon_.kill();
    daemon_.waitForFinished(3000);
  }

  // Empty when the daemon could not be started.
  const QString& address() const { return address_; }

  // A new connection to the bus, closed with the bus.
  QDBusConnection connect() {
    static int connectionCount = 0;
    connectionNames_.append(QStringLiteral("velto-test-%1").arg(++connectionCount));
    return QDBusConnection::connectToBus(address_, connectionNames_.last());
  }

 private:
  QTemporaryDir directory_;
  QProcess daemon_;
  QString address_;
  QStringList connectionNames_;
};

// The one private bus of a test binary, started on first use; each test leaves it as it
// found it (its names released, its objects gone). Stopped by main while the application
// still exists.
inline std::unique_ptr<PrivateSessionBus>& sharedTestBus() {
  static std::unique_ptr<PrivateSessionBus> bus;
  return bus;
}

inline PrivateSessionBus& testBus() {
  if (!sharedTestBus()) sharedTestBus() = std::make_unique<PrivateSessionBus>();
  return *sharedTestBus();
}

inline void stopTestBus() { sharedTestBus().reset(); }

}  // namespace CorlaMeetings::Testing
