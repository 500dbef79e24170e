#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

#include <functional>
#include <memory>

class QFileSystemWatcher;
class QSocketNotifier;

namespace CorlaMeetings {

// Tells when the wall clock may have jumped, from three sources:
// - resume: logind's PrepareForSleep(false) on the system bus;
// - clock set: a timerfd on CLOCK_REALTIME that the kernel cancels when the clock is set;
// - zone change: the zone files (/etc/localtime, /etc/timezone) replaced or rewritten, or
//   timedated announcing a new Timezone.
// Events come in bursts (a resume sets the clock, a zone change rewrites two files), so
// they are gathered: one callback, settleMilliseconds after the last of them. When a zone
// change is among them, ICU's default zone is read afresh from the system first, so that
// local days and shown times follow the new zone.
//
// A source that cannot be had (no system bus, no logind, no timerfd, no zone files) is left
// out silently. Main thread; a QCoreApplication must exist.
class TimeChangeMonitor : public QObject {
  Q_OBJECT

 public:
  struct Options {
    // Where logind and timedated live; a connection that is not connected leaves both out.
    QDBusConnection systemBus = QDBusConnection::systemBus();
    bool watchClock = true;
    QStringList zoneFiles = {QStringLiteral("/etc/localtime"), QStringLiteral("/etc/timezone")};
    int settleMilliseconds = 1000;
  };

  // The system's sources.
  explicit TimeChangeMonitor(std::function<void()> onTimeChanged);
  TimeChangeMonitor(std::function<void()> onTimeChanged, Options options);
  ~TimeChangeMonitor() override;
  TimeChangeMonitor(const TimeChangeMonitor&) = delete;
  TimeChangeMonitor& operator=(const TimeChangeMonitor&) = delete;

  // What the sources report; tests stand in for a source through these.
  void noteResume() { note(false); }
  void noteClockSet() { note(false); }
  void noteZoneChange() { note(true); }

  // Which sources are being listened to.
  bool watchesSleep() const { return watchesSleep_; }
  bool watchesClock() const { return clockFd_ >= 0; }

 private slots:
  void onPrepareForSleep(bool sleeping);
  void onTimedatePropertiesChanged(const QString& interface, const QVariantMap& changed,
                                   const QStringList& invalidated);

 private:
  void note(bool zoneChanged);
  void settle();

  void startClockWatch();
  bool armClockTimer();
  void onClockTimerReadable();

  void startZoneWatch();
  void onZoneFilesTouched();
  QByteArray zoneFingerprint() const;

  std::function<void()> onTimeChanged_;
  Options options_;
  QTimer settleTimer_;
  bool zoneChanged_ = false;
  bool watchesSleep_ = false;

  int clockFd_ = -1;
  std::unique_ptr<QSocketNotifier> clockNotifier_;

  std::unique_ptr<QFileSystemWatcher> zoneWatcher_;
  QByteArray zoneFingerprint_;
};

}  // namespace CorlaMeetings
