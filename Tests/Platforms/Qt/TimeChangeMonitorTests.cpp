#include "Qt/TimeChangeMonitor.h"

#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "Platforms/Qt/EventLoopSupport.h"
#include "Platforms/Qt/PrivateSessionBus.h"

namespace CorlaMeetings::Testing {
namespace {

const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kLogindManager = QStringLiteral("org.freedesktop.login1.Manager");

// Long enough to tell a second callback from the first, short enough to keep tests quick.
constexpr int kSettle = 20;
constexpr int kQuiet = 300;

std::string defaultZoneId() {
  std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createDefault());
  icu::UnicodeString id;
  std::string text;
  zone->getID(id).toUTF8String(text);
  return text;
}

void sendPrepareForSleep(const QDBusConnection& connection, bool sleeping) {
  QDBusMessage signal = QDBusMessage::createSignal(kLogindPath, kLogindManager, QStringLiteral("PrepareForSleep"));
  signal << sleeping;
  connection.send(signal);
}

// Counts callbacks and notes the zone ICU had at each. Puts TZ and ICU's zone back after.
class TimeChangeMonitorTest : public testing::Test {
 protected:
  ~TimeChangeMonitorTest() override {
    monitor.reset();
    if (savedTz) {
      setenv("TZ", savedTz->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    icu::TimeZone::adoptDefault(icu::TimeZone::detectHostTimeZone());
  }

  // A monitor with only the sources a test gives it.
  void start(TimeChangeMonitor::Options options) {
    monitor = std::make_unique<TimeChangeMonitor>(
        [this] {
          ++callbacks;
          zoneAtCallback = defaultZoneId();
        },
        std::move(options));
  }

  static TimeChangeMonitor::Options noSources() {
    return {.systemBus = QDBusConnection(QStringLiteral("velto-no-bus")),
            .watchClock = false,
            .zoneFiles = {},
            .settleMilliseconds = kSettle};
  }

  // What the system's zone becomes, as far as ICU's host detection reads it.
  void systemZoneBecomes(const char* id) { setenv("TZ", id, 1); }

  bool called(int times) {
    return runEventsUntil([&] { return callbacks >= times; }) && callbacks == times;
  }

  // Started by the tests that need one; it outlives the monitor, which holds a connection.
  QDBusConnection startBus() {
    bus.emplace();
    EXPECT_FALSE(bus->address().isEmpty()) << "dbus-daemon did not start";
    return bus->connect();
  }

  std::optional<std::string> savedTz = std::getenv("TZ") ? std::optional<std::string>(std::getenv("TZ")) : std::nullopt;
  std::optional<PrivateSessionBus> bus;
  std::unique_ptr<TimeChangeMonitor> monitor;
  int callbacks = 0;
  std::string zoneAtCallback;
};

TEST_F(TimeChangeMonitorTest, BurstOfEventsGivesOneCallbackAndAZoneChangeResetsTheZoneFirst) {
  ASSERT_EQ(defaultZoneId(), "Europe/Berlin");
  start(noSources());
  EXPECT_FALSE(monitor->watchesSleep());  // no bus: left out, nothing else changes

  systemZoneBecomes("America/Sao_Paulo");
  monitor->noteResume();
  monitor->noteClockSet();
  monitor->noteZoneChange();
  monitor->noteClockSet();
  ASSERT_TRUE(called(1));
  EXPECT_EQ(zoneAtCallback, "America/Sao_Paulo");
  runEventsFor(kQuiet);
  EXPECT_EQ(callbacks, 1);

  // A clock change alone leaves the zone as it is.
  systemZoneBecomes("Asia/Kolkata");
  monitor->noteClockSet();
  ASSERT_TRUE(called(2));
  EXPECT_EQ(zoneAtCallback, "America/Sao_Paulo");
}

TEST_F(TimeChangeMonitorTest, ResumeFromLogindIsHeardAndStrangersAreNot) {
  QDBusConnection logind = startBus();
  ASSERT_TRUE(logind.registerService(QStringLiteral("org.freedesktop.login1")));
  QDBusConnection stranger = bus->connect();

  TimeChangeMonitor::Options options = noSources();
  options.systemBus = bus->connect();
  start(std::move(options));
  ASSERT_TRUE(monitor->watchesSleep());

  sendPrepareForSleep(logind, true);  // going to sleep: nothing to do yet
  sendPrepareForSleep(stranger, false);
  runEventsFor(kQuiet);
  EXPECT_EQ(callbacks, 0);

  sendPrepareForSleep(logind, false);
  EXPECT_TRUE(called(1));
}

TEST_F(TimeChangeMonitorTest, TimedatedAnnouncingANewZoneIsAZoneChange) {
  QDBusConnection timedated = startBus();
  ASSERT_TRUE(timedated.registerService(QStringLiteral("org.freedesktop.timedate1")));
  TimeChangeMonitor::Options options = noSources();
  options.systemBus = bus->connect();
  start(std::move(options));
  runEventsFor(50);  // lets the monitor learn who owns the name

  auto announce = [&](const char* property, const QVariant& value) {
    QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/timedate1"),
                                                     QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << QStringLiteral("org.freedesktop.timedate1") << QVariantMap{{QString::fromUtf8(property), value}}
           << QStringList();
    timedated.send(signal);
  };
  announce("NTP", true);
  runEventsFor(kQuiet);
  EXPECT_EQ(callbacks, 0);

  systemZoneBecomes("America/Sao_Paulo");
  announce("Timezone", QStringLiteral("America/Sao_Paulo"));
  ASSERT_TRUE(called(1));
  EXPECT_EQ(zoneAtCallback, "America/Sao_Paulo");
}

// A zone folder of our own standing in for /etc, with /etc/localtime a symlink into a
// zone database, as on most systems.
class ZoneFiles : public TimeChangeMonitorTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("zoneinfo")));
    for (const char* zone : {"Berlin", "Sao_Paulo"}) {
      QFile file(path(QStringLiteral("zoneinfo/") + zone));
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write(QByteArray("TZif zone data of ") + zone);
    }
    ASSERT_TRUE(QFile::link(path(QStringLiteral("zoneinfo/Berlin")), path(QStringLiteral("localtime"))));
    writeFile(QStringLiteral("timezone"), "Europe/Berlin\n");

    TimeChangeMonitor::Options options = noSources();
    options.zoneFiles = {path(QStringLiteral("localtime")), path(QStringLiteral("timezone"))};
    start(std::move(options));
  }

  QString path(const QString& name) const { return folder.filePath(name); }

  void writeFile(const QString& name, const QByteArray& content) {
    QFile file(path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
  }

  // As zone tools do it: a new symlink, renamed over the old one.
  void pointLocaltimeAt(const QString& zone) {
    ASSERT_TRUE(QFile::link(path(QStringLiteral("zoneinfo/") + zone), path(QStringLiteral("localtime.new"))));
    ASSERT_EQ(std::rename(path(QStringLiteral("localtime.new")).toLocal8Bit().constData(),
                          path(QStringLiteral("localtime")).toLocal8Bit().constData()),
              0);
  }

  QTemporaryDir folder;
};

TEST_F(ZoneFiles, LocaltimeRelinkedToAnotherZoneIsAZoneChange) {
  systemZoneBecomes("America/Sao_Paulo");
  pointLocaltimeAt(QStringLiteral("Sao_Paulo"));
  ASSERT_TRUE(called(1));
  EXPECT_EQ(zoneAtCallback, "America/Sao_Paulo");
}

TEST_F(ZoneFiles, ZoneNameRewrittenInPlaceIsAZoneChangeEachTime) {
  writeFile(QStringLiteral("timezone"), "America/Sao_Paulo\n");
  ASSERT_TRUE(called(1));
  writeFile(QStringLiteral("timezone"), "Europe/Berlin\n");
  EXPECT_TRUE(called(2));
}

TEST_F(ZoneFiles, OtherChangesBesideTheZoneFilesAreNot) {
  writeFile(QStringLiteral("hostname"), "somewhere\n");
  writeFile(QStringLiteral("timezone"), "Europe/Berlin\n");  // the same zone written again
  pointLocaltimeAt(QStringLiteral("Berlin"));
  runEventsFor(kQuiet);
  EXPECT_EQ(callbacks, 0);
}

}  // namespace
}  // namespace CorlaMeetings::Testing
