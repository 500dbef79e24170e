#include "EDS/DesktopCalendarService.h"

#include <gio/gio.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "EDS/GLibHandles.h"

namespace CorlaMeetings {

namespace {

constexpr const char* kRegistryName = "org.gnome.evolution.dataserver.Sources5";
constexpr int kTimeoutMilliseconds = 1000;

GVariant* askBus(GDBusConnection* bus, const char* method, GVariant* parameters, const char* replyType) {
  return g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                     method, parameters, G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NONE,
                                     kTimeoutMilliseconds, nullptr, nullptr);
}

bool registryOnBus() {
  GObjectPtr<GDBusConnection> bus(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
  if (!bus) return false;
  if (GVariant* owned = askBus(bus.get(), "NameHasOwner", g_variant_new("(s)", kRegistryName), "(b)")) {
    gboolean running = FALSE;
    g_variant_get(owned, "(b)", &running);
    g_variant_unref(owned);
    if (running) return true;
  }
  bool activatable = false;
  if (GVariant* names = askBus(bus.get(), "ListActivatableNames", nullptr, "(as)")) {
    GVariantIter* iterator = nullptr;
    const char* name = nullptr;
    g_variant_get(names, "(as)", &iterator);
    while (!activatable && g_variant_iter_next(iterator, "&s", &name)) activatable = std::string(name) == kRegistryName;
    g_variant_iter_free(iterator);
    g_variant_unref(names);
  }
  return activatable;
}

}  // namespace

std::function<bool()> desktopCalendarServiceCheck() {
  // GLib would otherwise start a bus of its own (X11 autolaunch) where there is none.
  bool busKnown = std::getenv("DBUS_SESSION_BUS_ADDRESS") != nullptr;
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); !busKnown && runtime) {
    std::error_code error;
    busKnown = std::filesystem::exists(std::string(runtime) + "/bus", error);
  }
  return [busKnown] { return busKnown && registryOnBus(); };
}

}  // namespace CorlaMeetings
