// Reminders as a person sees them when the tray and a status bar's `velto --watch` run in one
// session: a stand-in notification server on the session bus counts what reaches it.
//  - tray and watcher post ONE reminder between them;
//  - the tray stopped, the watcher takes the posting over; the tray started again replaces
//    the reminder on screen (replaces_id) rather than adding a second;
//  - a watcher whose reader goes away ends, quietly: while idle (the pipe's reader closes)
//    and on a failed write (a socket whose reader shut down), with SIGPIPE ignored, as bars
//    start their modules;
//  - the tray's autostart entry carries its --calendar.
//
// Usage: NotifySmoke VELTO CALENDAR   (under dbus-run-session and faketime, the calendar
// holding one meeting within the reminder lead time)

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <iostream>

#include "Platforms/Qt/EventLoopSupport.h"
#include "Platforms/Qt/FakeNotificationServer.h"

namespace {

using CorlaMeetings::Testing::FakeNotificationServer;
using CorlaMeetings::Testing::runEventsFor;
using CorlaMeetings::Testing::runEventsUntil;

int failures = 0;

void check(bool holds, const char* what) {
  if (holds) return;
  std::cerr << "NotifySmoke: " << what << "\n";
  ++failures;
}

// A first line on `fd` within the time; empty if none.
QByteArray firstLine(int fd, int milliseconds) {
  QByteArray text;
  char c = 0;
  pollfd readable{fd, POLLIN, 0};
  while (!text.endsWith('\n') && ::poll(&readable, 1, milliseconds) > 0 && ::read(fd, &c, 1) == 1) text += c;
  return text;
}

// velto started with `arguments`, its stdout on `stdoutFd` when given, SIGPIPE ignored.
void start(QProcess& velto, const QString& program, const QStringList& arguments, int stdoutFd = -1) {
  velto.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  velto.setChildProcessModifier([stdoutFd] {
    ::signal(SIGPIPE, SIG_IGN);
    if (stdoutFd >= 0) ::dup2(stdoutFd, STDOUT_FILENO);
  });
  velto.start(program, arguments);
  velto.waitForStarted(5000);
}

bool endsQuietly(QProcess& velto) {
  bool ended = runEventsUntil([&] { return velto.state() == QProcess::NotRunning; }, 5000);
  return ended && velto.exitStatus() == QProcess::NormalExit && velto.exitCode() == 0;
}

void stop(QProcess& velto) {
  velto.terminate();
  if (!velto.waitForFinished(5000)) velto.kill();
  velto.waitForFinished(5000);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 3) {
    std::cerr << "usage: NotifySmoke VELTO CALENDAR\n";
    return 2;
  }
  const QString program = argv[1];
  const QStringList calendar = {"--calendar", argv[2]};
  QDBusConnection bus = QDBusConnection::sessionBus();
  FakeNotificationServer server(bus);
  if (!bus.isConnected() || !server.registered) {
    std::cerr << "NotifySmoke: no session bus to serve notifications on\n";
    return 1;
  }
  QTemporaryDir home;
  QDir().mkdir(home.filePath("run"));
  QFile::setPermissions(home.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  qputenv("HOME", home.path().toUtf8());
  qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
  qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
  qputenv("XDG_RUNTIME_DIR", home.filePath("run").toUtf8());

  QProcess tray;
  start(tray, program, QStringList{"--tray"} + calendar);
  check(runEventsUntil([&] { return server.calls.size() == 1; }, 10000), "the tray posted no reminder");

  int watcherOut[2];
  ::pipe2(watcherOut, O_CLOEXEC);
  QProcess watcher;
  start(watcher, program, QStringList{"--watch"} + calendar, watcherOut[1]);
  ::close(watcherOut[1]);
  check(!firstLine(watcherOut[0], 10000).isEmpty(), "the watcher printed no line");
  runEventsFor(500);
  check(server.calls.size() == 1, "tray and watcher posted more than one reminder");
  const uint shown = server.lastGiven;

  stop(tray);
  check(runEventsUntil([&] { return bus.interface()->isServiceRegistered("org.velto.Velto.Reminders").value(); }, 5000),
        "the watcher did not take the posting over");
  QProcess trayAgain;
  start(trayAgain, program, QStringList{"--tray"} + calendar);
  check(runEventsUntil([&] { return server.calls.size() == 2; }, 10000), "the restarted tray posted no reminder");
  runEventsFor(300);
  check(server.calls.size() == 2, "more reminders than the tray's two");
  check(server.calls.back().arguments().value(1).toUInt() == shown, "the restarted tray added a second reminder");
  const QVariantList notify = server.calls.back().arguments();
  check(!notify.value(2).toString().isEmpty(), "the reminder carries no icon");

  ::close(watcherOut[0]);  // the bar goes, while the watcher has nothing to print
  check(endsQuietly(watcher), "the watcher outlived its reader");

  int socket[2];
  ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, socket);
  ::shutdown(socket[0], SHUT_RD);  // no hang-up to see: only the write tells
  QProcess writer;
  start(writer, program, QStringList{"--watch"} + calendar, socket[1]);
  ::close(socket[1]);
  check(endsQuietly(writer), "the watcher went on after a failed write");
  ::close(socket[0]);

  QFile entry(home.filePath("config/autostart/velto.desktop"));
  check(entry.open(QIODevice::ReadOnly) && entry.readAll().contains("--calendar " + QByteArray(argv[2])),
        "the autostart entry lacks the tray's calendar");

  for (QProcess* velto : {&trayAgain, &watcher, &writer}) stop(*velto);
  std::cout << (failures ? "NotifySmoke: failed\n" : "NotifySmoke: passed\n");
  return failures ? 1 : 0;
}
