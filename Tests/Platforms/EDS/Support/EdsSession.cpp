#include "Platforms/EDS/Support/EdsSession.h"

#include <gio/gio.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <csignal>
#include <cstdlib>

namespace CorlaMeetings::Testing {

namespace {

constexpr const char* kServices[] = {
    "org.gnome.evolution.dataserver.Calendar8", "org.gnome.evolution.dataserver.AddressBook10",
    "org.gnome.evolution.dataserver.UserPrompter0", "org.gnome.evolution.dataserver.Sources5"};

bool waitUntilGone(int pid, int milliseconds) {
  QDeadlineTimer deadline(milliseconds);
  while (::kill(pid, 0) == 0 && !deadline.hasExpired()) QThread::msleep(20);
  return ::kill(pid, 0) != 0;
}

}  // namespace

void EdsSession::SetUp() {
  ASSERT_TRUE(directory_.isValid());
  const QString root = directory_.path();
  home_ = (root + "/home").toStdString();
  const QString runtime = root + "/runtime";
  for (const QString& folder : {root + "/home/.config", root + "/home/.local/share", root + "/home/.cache", runtime}) {
    ASSERT_TRUE(QDir().mkpath(folder));
  }
  QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

  // The services the bus starts inherit its environment: they must see only our folders.
  environment_ = QProcessEnvironment::systemEnvironment();
  environment_.insert("HOME", root + "/home");
  environment_.insert("XDG_CONFIG_HOME", root + "/home/.config");
  environment_.insert("XDG_DATA_HOME", root + "/home/.local/share");
  environment_.insert("XDG_CACHE_HOME", root + "/home/.cache");
  environment_.insert("XDG_RUNTIME_DIR", runtime);
  environment_.insert("GSETTINGS_BACKEND", "memory");
  environment_.remove("DBUS_SESSION_BUS_ADDRESS");
  environment_.remove("DISPLAY");
  environment_.remove("WAYLAND_DISPLAY");
  bus_.emplace(QStringLiteral("/usr/share/dbus-1/services"), environment_);
  address_ = bus_->address().toStdString();
  ASSERT_FALSE(address_.empty()) << "dbus-daemon did not start";
  environment_.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromStdString(address_));

  for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR",
                           "GSETTINGS_BACKEND", "DBUS_SESSION_BUS_ADDRESS"}) {
    ::setenv(name, environment_.value(name).toUtf8().constData(), 1);
  }
}

void EdsSession::TearDown() {
  if (!ready()) return;
  // GLib ends a process whose session bus goes away (it is the session's end): not ours.
  if (GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)) {
    g_dbus_connection_set_exit_on_close(bus, FALSE);
    g_object_unref(bus);
  }
  for (const char* name : kServices) {
    if (int pid = ownerOf(name); pid > 0) {
      ::kill(pid, SIGTERM);
      if (!waitUntilGone(pid, 3000)) ::kill(pid, SIGKILL);
    }
  }
  bus_.reset();
  directory_.remove();  // gtest never destroys its environments
}

int EdsSession::ownerOf(const char* busName) const {
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (!bus) return 0;
  GVariant* reply = g_dbus_connection_call_sync(
      bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetConnectionUnixProcessID",
      g_variant_new("(s)", busName), G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 3000, nullptr, nullptr);
  g_object_unref(bus);
  if (!reply) return 0;
  guint32 pid = 0;
  g_variant_get(reply, "(u)", &pid);
  g_variant_unref(reply);
  return static_cast<int>(pid);
}

bool EdsSession::killCalendarFactory() const {
  int pid = ownerOf(kServices[0]);
  if (pid <= 0) return false;
  ::kill(pid, SIGKILL);
  return waitUntilGone(pid, 5000);
}

}  // namespace CorlaMeetings::Testing
