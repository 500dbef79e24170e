// Starts `velto --tray` as a user's panel would see it: a StatusNotifierWatcher on the
// session bus takes its registration, reads its label, clicks it, and the screen with the
// open drop-down is saved as a PNG for a person to look at.
//
// Usage: TraySmoke VELTO CALENDAR OUTPUT.png   (under xvfb-run and dbus-run-session)

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>

#include <iostream>

#include <QDBusVirtualObject>

namespace {

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

// Runs the event loop until `done` holds or `milliseconds` pass.
template <typename Predicate>
bool waitFor(Predicate done, int milliseconds) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > milliseconds) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(10);
  }
  return true;
}

void pause(int milliseconds) {
  waitFor([] { return false; }, milliseconds);
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 4) {
    std::cerr << "usage: TraySmoke VELTO CALENDAR OUTPUT.png\n";
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
  velto.setProcessEnvironment(environment);
  velto.setProcessChannelMode(QProcess::ForwardedChannels);
  velto.start(argv[1], {"--tray", "--calendar", argv[2]});
  if (!velto.waitForStarted(5000)) {
    std::cerr << "TraySmoke: velto did not start\n";
    return 1;
  }

  int status = 0;
  if (!waitFor([&] { return !watcher.item.isEmpty(); }, 10000)) {
    std::cerr << "TraySmoke: the tray item never registered with the watcher\n";
    status = 1;
  } else {
    const QString item = watcher.item;
    pause(1500);  // the first refresh: calendars read, label set

    QDBusMessage get = QDBusMessage::createMethodCall(item, "/StatusNotifierItem", "org.freedesktop.DBus.Properties",
                                                      "Get");
    get << QString("org.kde.StatusNotifierItem") << QString("XAyatanaLabel");
    QDBusReply<QDBusVariant> label = bus.call(get, QDBus::Block, 3000);
    std::cout << "label: " << (label.isValid() ? label.value().variant().toString().toStdString() : "(none)")
              << "\n";
    if (!label.isValid() || label.value().variant().toString().isEmpty()) status = 1;

    QDBusMessage activate = QDBusMessage::createMethodCall(item, "/StatusNotifierItem", "org.kde.StatusNotifierItem",
                                                           "Activate");
    activate << 420 << 24;
    bus.call(activate, QDBus::Block, 3000);
    pause(1500);

    QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
    if (screen.isNull() || !screen.save(argv[3])) {
      std::cerr << "TraySmoke: could not save the screenshot\n";
      status = 1;
    }

    // A desktop shortcut's view: both commands reach the running tray, and the calendar's
    // next meeting has a link to open.
    for (const char* command : {"--refresh", "--join-next"}) {
      QProcess client;
      client.setProcessEnvironment(environment);
      client.setProcessChannelMode(QProcess::ForwardedChannels);
      client.start(argv[1], {command});
      bool finished = waitFor([&] { return client.state() == QProcess::NotRunning; }, 10000);
      if (!finished || client.exitStatus() != QProcess::NormalExit || client.exitCode() != 0) {
        std::cerr << "TraySmoke: velto " << command << " failed\n";
        status = 1;
      }
    }
  }

  velto.terminate();
  if (!velto.waitForFinished(5000)) velto.kill();
  return status;
}
