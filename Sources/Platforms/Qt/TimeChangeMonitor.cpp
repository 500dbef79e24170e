#include "Qt/TimeChangeMonitor.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSocketNotifier>

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>

#include <unicode/timezone.h>

namespace CorlaMeetings {

namespace {

const QString kLogindService = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kLogindManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kTimedateService = QStringLiteral("org.freedesktop.timedate1");
const QString kTimedatePath = QStringLiteral("/org/freedesktop/timedate1");
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// A zone file is a symlink into the zone database or a copy of a zone (a few kilobytes), or
// a zone name; anything bigger is not one, and is read only this far.
constexpr qint64 kZoneFileReadLimit = 1 << 20;

// How far ahead the clock timer is set. It exists to be cancelled, not to expire; if it
// ever does, it is set again.
constexpr std::time_t kClockTimerHorizonSeconds = 365L * 24 * 3600;

}  // namespace

TimeChangeMonitor::TimeChangeMonitor(std::function<void()> onTimeChanged)
    : TimeChangeMonitor(std::move(onTimeChanged), Options{}) {}

TimeChangeMonitor::TimeChangeMonitor(std::function<void()> onTimeChanged, Options options)
    : onTimeChanged_(std::move(onTimeChanged)), options_(std::move(options)) {
  settleTimer_.setSingleShot(true);
  settleTimer_.setInterval(options_.settleMilliseconds);
  connect(&settleTimer_, &QTimer::timeout, this, &TimeChangeMonitor::settle);

  QDBusConnection& bus = options_.systemBus;
  if (bus.isConnected()) {
    // Naming the service makes QtDBus pass on only what its owner sends: a stranger on the
    // bus cannot fake a resume.
    watchesSleep_ = bus.connect(kLogindService, kLogindPath, kLogindManager, QStringLiteral("PrepareForSleep"), this,
                                SLOT(onPrepareForSleep(bool)));
    bus.connect(kTimedateService, kTimedatePath, kPropertiesInterface, QStringLiteral("PropertiesChanged"), this,
                SLOT(onTimedatePropertiesChanged(QString, QVariantMap, QStringList)));
  }
  if (options_.watchClock) startClockWatch();
  if (!options_.zoneFiles.isEmpty()) startZoneWatch();
}

TimeChangeMonitor::~TimeChangeMonitor() {
  clockNotifier_.reset();
  if (clockFd_ >= 0) ::close(clockFd_);
}

void TimeChangeMonitor::note(bool zoneChanged) {
  zoneChanged_ = zoneChanged_ || zoneChanged;
  settleTimer_.start();
}

void TimeChangeMonitor::settle() {
  if (zoneChanged_) {
    zoneChanged_ = false;
    // ICU keeps the zone it found first for the life of the process; this reads TZ or
    // /etc/localtime again (and resets the C library's zone on the way).
    if (icu::TimeZone* zone = icu::TimeZone::detectHostTimeZone()) icu::TimeZone::adoptDefault(zone);
  }
  if (onTimeChanged_) onTimeChanged_();
}

void TimeChangeMonitor::onPrepareForSleep(bool sleeping) {
  if (!sleeping) noteResume();
}

void TimeChangeMonitor::onTimedatePropertiesChanged(const QString& interface, const QVariantMap& changed,
                                                    const QStringList& invalidated) {
  if (interface != kTimedateService) return;
  const QString timezone = QStringLiteral("Timezone");
  if (changed.contains(timezone) || invalidated.contains(timezone)) noteZoneChange();
}

// Clock --------------------------------------------------------------------------------

void TimeChangeMonitor::startClockWatch() {
  clockFd_ = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
  if (clockFd_ < 0) return;
  if (!armClockTimer()) {
    ::close(clockFd_);
    clockFd_ = -1;
    return;
  }
  clockNotifier_ = std::make_unique<QSocketNotifier>(clockFd_, QSocketNotifier::Read);
  connect(clockNotifier_.get(), &QSocketNotifier::activated, this, &TimeChangeMonitor::onClockTimerReadable);
}

bool TimeChangeMonitor::armClockTimer() {
  struct timespec now {};
  if (::clock_gettime(CLOCK_REALTIME, &now) != 0) return false;
  struct itimerspec deadline {};
  deadline.it_value.tv_sec = now.tv_sec + kClockTimerHorizonSeconds;
  return ::timerfd_settime(clockFd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &deadline, nullptr) == 0;
}

void TimeChangeMonitor::onClockTimerReadable() {
  std::uint64_t expirations = 0;
  const ssize_t got = ::read(clockFd_, &expirations, sizeof expirations);
  if (got < 0 && errno == EAGAIN) return;
  // ECANCELED: the clock was set. Either way the timer needs setting again, or it stays
  // readable and the loop spins.
  const bool clockWasSet = got < 0 && errno == ECANCELED;
  if (!armClockTimer()) {
    clockNotifier_.reset();
    ::close(clockFd_);
    clockFd_ = -1;
  }
  if (clockWasSet) noteClockSet();
}

// Zone files -----------------------------------------------------------------------------

// The files and the folders they are in: tools replace a zone file by renaming a new one
// over it (a new symlink, for /etc/localtime), which only the folder sees; a file written
// in place only the file's own watch sees. The folders see much else too, so a change
// counts only when what the files say has changed.
void TimeChangeMonitor::startZoneWatch() {
  zoneWatcher_ = std::make_unique<QFileSystemWatcher>();
  QStringList directories;
  for (const QString& file : options_.zoneFiles) {
    const QString directory = QFileInfo(file).absolutePath();
    if (!directories.contains(directory)) directories.append(directory);
  }
  zoneWatcher_->addPaths(directories);
  for (const QString& file : options_.zoneFiles) {
    if (QFileInfo::exists(file)) zoneWatcher_->addPath(file);
  }
  zoneFingerprint_ = zoneFingerprint();
  connect(zoneWatcher_.get(), &QFileSystemWatcher::fileChanged, this, &TimeChangeMonitor::onZoneFilesTouched);
  connect(zoneWatcher_.get(), &QFileSystemWatcher::directoryChanged, this, &TimeChangeMonitor::onZoneFilesTouched);
}

void TimeChangeMonitor::onZoneFilesTouched() {
  // A file replaced by a rename loses its watch; a file that was missing may be back.
  const QStringList watched = zoneWatcher_->files();
  for (const QString& file : options_.zoneFiles) {
    if (!watched.contains(file) && QFileInfo::exists(file)) zoneWatcher_->addPath(file);
  }
  QByteArray fingerprint = zoneFingerprint();
  if (fingerprint == zoneFingerprint_) return;
  zoneFingerprint_ = std::move(fingerprint);
  noteZoneChange();
}

// Where each file points and what it holds, hashed.
QByteArray TimeChangeMonitor::zoneFingerprint() const {
  QCryptographicHash hash(QCryptographicHash::Sha256);
  for (const QString& path : options_.zoneFiles) {
    hash.addData(QFileInfo(path).symLinkTarget().toUtf8());
    hash.addData(QByteArrayView("\0", 1));
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) hash.addData(file.read(kZoneFileReadLimit));
    hash.addData(QByteArrayView("\0", 1));
  }
  return hash.result();
}

}  // namespace CorlaMeetings
