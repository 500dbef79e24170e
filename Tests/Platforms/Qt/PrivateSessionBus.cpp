#include "Platforms/Qt/PrivateSessionBus.h"

#include <QDeadlineTimer>
#include <QFile>

namespace CorlaMeetings {

namespace {

QString configuration(const QString& socketDirectory) {
  return QStringLiteral(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <limit name="max_replies_per_connection">50000</limit>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)")
      .arg(socketDirectory);
}

}  // namespace

PrivateSessionBus::PrivateSessionBus() {
  if (!directory_.isValid()) return;
  QString configPath = directory_.filePath(QStringLiteral("bus.conf"));
  QFile config(configPath);
  if (!config.open(QIODevice::WriteOnly) || config.write(configuration(directory_.path()).toUtf8()) < 0) return;
  config.close();

  // Unprivileged, it complains of the file limit it cannot raise on every start.
  daemon_.setStandardErrorFile(QProcess::nullDevice());
  daemon_.start(QStringLiteral("dbus-daemon"),
                {QStringLiteral("--config-file=") + configPath, QStringLiteral("--print-address"),
                 QStringLiteral("--nofork"), QStringLiteral("--nopidfile")});
  if (!daemon_.waitForStarted(5000)) return;

  QDeadlineTimer deadline(5000);
  while (!daemon_.canReadLine() && !deadline.hasExpired()) daemon_.waitForReadyRead(100);
  address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
}

PrivateSessionBus::~PrivateSessionBus() {
  for (const QString& name : connectionNames_) QDBusConnection::disconnectFromBus(name);
  if (daemon_.state() == QProcess::NotRunning) return;
  daemon_.terminate();
  if (!daemon_.waitForFinished(3000)) {
    daemon_.kill();
    daemon_.waitForFinished(3000);
  }
}

QDBusConnection PrivateSessionBus::connect() {
  static int connectionCount = 0;
  QString name = QStringLiteral("velto-test-%1").arg(++connectionCount);
  connectionNames_.append(name);
  return QDBusConnection::connectToBus(address_, name);
}

}  // namespace CorlaMeetings
