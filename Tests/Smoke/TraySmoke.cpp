// Starts `velto --tray` as a user's panel would see it: a StatusNotifierWatcher on the
// session bus takes its registration, reads its label, clicks it, and the screen with the
// open drop-down is saved as a PNG for a person to look at.
//
// Usage: TraySmoke VELTO CALENDAR OUTPUT.png            (under xvfb-run and dbus-run-session)
//        TraySmoke VELTO CALENDAR OUTPUT.png wayland    (under a weston started with --debug,
//                                                        see wayland-smoke)
// On Wayland Velto chooses its platform as in a Wayland-only session, the click is waybar's
// (the point within the item), and the drop-down must open, close on a second click and
// leave Velto running; weston's scene graph tells whether its window is shown.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>

#include <iostream>

#include <QDBusVirtualObject>
#include <QDir>
#include <QFile>

#include "Platforms/Qt/EventLoopSupport.h"

namespace {

using CorlaMeetings::Testing::runEventsFor;
using CorlaMeetings::Testing::runEventsUntil;

// The panel's side: owns org.kde.StatusNotifierWatcher and notes who registers.
class Watcher : public QDBusVirtualObject {
 public:
  explicit Watcher(QDBusConnection bus) {
    bus.registerVirtualObject("/StatusNotifierWatcher", this);
    bus.registerService("org.kde.StatusNotifierWatcher");
  }

  QString introspect(const QString&) const override {
    return "<interface name=\"org.kde.StatusNotifierWatcher\">"
           "<method name=\"RegisterStatusNotifierItem\"><arg type=\"s\" direction=\"in\"/></method>"
           "<property name=\"IsStatusNotifierHostRegistered\" type=\"b\" access=\"read\"/>"
           "<property name=\"ProtocolVersion\" type=\"i\" access=\"read\"/></interface>";
  }

  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    if (message.member() == "RegisterStatusNotifierItem") {
      item = message.service();
      connection.send(message.createReply());
      return true;
    }
    if (message.member() == "Get") {
      const QString property = message.arguments().value(1).toString();
      QVariant value = property == "ProtocolVersion" ? QVariant(0) : QVariant(true);
      connection.send(message.createReply(QVariant::fromValue(QDBusVariant(value))));
      return true;
    }
    return false;
  }

  QString item;  // the unique bus name of the registered item
};

// The standard output of a short command, or empty when it fails.
QString output(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(5000) || process.exitCode() != 0) return {};
  return QString::fromUtf8(process.readAllStandardOutput());
}

// Whether weston shows a window of this title now.
bool westonShows(const QString& title) { return output("weston-debug", {"scene-graph"}).contains(title); }

// weston-screenshooter writes wayland-screenshot-<time>.png into its working directory.
bool saveWestonScreenshot(const QString& path) {
  QTemporaryDir directory;
  QProcess shooter;
  shooter.setWorkingDirectory(directory.path());
  shooter.start("weston-screenshooter", {});
  if (!shooter.waitForFinished(5000)) return false;
  const QStringList shots = QDir(directory.path()).entryList({"*.png"});
  QFile::remove(path);
  return !shots.isEmpty() && QFile::copy(directory.filePath(shots.first()), path);
}

}  // namespace

int main(int argc, char** argv) {
  const bool wayland = argc == 5 && QByteArray(argv[4]) == "wayland";
  // This program only talks to the bus; Velto picks its own platform.
  if (wayland) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 4 && !wayland) {
    std::cerr << "usage: TraySmoke VELTO CALENDAR OUTPUT.png [wayland]\n";
    return 2;
  }
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    std::cerr << "TraySmoke: no session bus\n";
    return 1;
  }
  Watcher watcher(bus);

  QTemporaryDir home;
  QProcess velto;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("XDG_CONFIG_HOME", home.path() + "/config");
  environment.insert("XDG_DATA_HOME", home.path() + "/data");
  environment.insert("XDG_CACHE_HOME", home.path() + "/cache");
  if (wayland) {
    environment.remove("QT_QPA_PLATFORM");
    environment.remove("DISPLAY");
  }
  velto.setProcessEnvironment(environment);
  velto.setProcessChannelMode(QProcess::ForwardedChannels);
  velto.start(argv[1], {"--tray", "--calendar", argv[2]});
  if (!velto.waitForStarted(5000)) {
    std::cerr << "TraySmoke: velto did not start\n";
    return 1;
  }

  int status = 0;
  if (!runEventsUntil([&] { return !watcher.item.isEmpty(); }, 10000)) {
    std::cerr << "TraySmoke: the tray item never registered with the watcher\n";
    status = 1;
  } else {
    const QString item = watcher.item;
    runEventsFor(1500);  // the first refresh: calendars read, label set

    QDBusMessage get =
        QDBusMessage::createMethodCall(item, "/StatusNotifierItem", "org.freedesktop.DBus.Properties", "Get");
    get << QString("org.kde.StatusNotifierItem") << QString("XAyatanaLabel");
    QDBusReply<QDBusVariant> label = bus.call(get, QDBus::Block, 3000);
    std::cout << "label: " << (label.isValid() ? label.value().variant().toString().toStdString() : "(none)") << "\n";
    if (!label.isValid() || label.value().variant().toString().isEmpty()) status = 1;

    const auto click = [&] {
      QDBusMessage activate =
          QDBusMessage::createMethodCall(item, "/StatusNotifierItem", "org.kde.StatusNotifierItem", "Activate");
      // waybar sends the click's place within the item; an X panel, a point on the screen.
      if (wayland) {
        activate << 8 << 15;
      } else {
        activate << 420 << 24;
      }
      bus.call(activate, QDBus::Block, 3000);
    };
    const QString title = "Velto Meetings Reminder";
    click();
    if (wayland && !runEventsUntil([&] { return westonShows(title); }, 5000)) {
      std::cerr << "TraySmoke: the drop-down did not open\n";
      status = 1;
    }
    runEventsFor(1500);

    bool saved = false;
    if (wayland) {
      saved = saveWestonScreenshot(argv[3]);
    } else {
      QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
      saved = !screen.isNull() && screen.save(argv[3]);
    }
    if (!saved) {
      std::cerr << "TraySmoke: could not save the screenshot\n";
      status = 1;
    }

    if (wayland) {
      click();  // a second click on the item closes it
      if (!runEventsUntil([&] { return !westonShows(title); }, 5000)) {
        std::cerr << "TraySmoke: the drop-down did not close on a second click\n";
        status = 1;
      }
    }

    // A desktop shortcut's view: both commands reach the running tray, and the calendar's
    // next meeting has a link to open.
    for (const char* command : {"--refresh", "--join-next"}) {
      QProcess client;
      client.setProcessEnvironment(environment);
      client.setProcessChannelMode(QProcess::ForwardedChannels);
      client.start(argv[1], {command});
      bool finished = runEventsUntil([&] { return client.state() == QProcess::NotRunning; }, 10000);
      if (!finished || client.exitStatus() != QProcess::NormalExit || client.exitCode() != 0) {
        std::cerr << "TraySmoke: velto " << command << " failed\n";
        status = 1;
      }
    }
  }

  if (velto.state() != QProcess::Running) {
    std::cerr << "TraySmoke: velto ended early\n";
    status = 1;
  }
  velto.terminate();
  if (!velto.waitForFinished(5000)) velto.kill();
  return status;
}
