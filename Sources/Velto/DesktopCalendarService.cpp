#include "DesktopCalendarService.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace CorlaMeetings {

namespace {

const QString kRegistryName = QStringLiteral("org.gnome.evolution.dataserver.Sources5");
constexpr int kTimeoutMilliseconds = 1000;

// A question to the bus itself; an invalid variant when it does not answer.
QVariant askBus(const QString& method, const QVariantList& arguments = {}) {
  QDBusMessage question =
      QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                     QStringLiteral("org.freedesktop.DBus"), method);
  question.setArguments(arguments);
  QDBusMessage answer = QDBusConnection::sessionBus().call(question, QDBus::Block, kTimeoutMilliseconds);
  if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().isEmpty()) return {};
  return answer.arguments().first();
}

// Asked through Qt's connection, which the program has anyway: libecal, which could ask as
// well, is loaded only once there is a calendar to read.
bool registryOnBus() {
  if (askBus(QStringLiteral("NameHasOwner"), {kRegistryName}).toBool()) return true;
  return askBus(QStringLiteral("ListActivatableNames")).toStringList().contains(kRegistryName);
}

}  // namespace

std::function<bool()> desktopCalendarServiceCheck() {
  // libdbus would otherwise start a bus of its own (X11 autolaunch) where there is none.
  bool busKnown = std::getenv("DBUS_SESSION_BUS_ADDRESS") != nullptr;
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); !busKnown && runtime) {
    std::error_code error;
    busKnown = std::filesystem::exists(std::string(runtime) + "/bus", error);
  }
  return [busKnown] { return busKnown && registryOnBus(); };
}

}  // namespace CorlaMeetings
