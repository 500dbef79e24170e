#include "Libecal/LibecalRegistry.h"

#include <libedataserver/libedataserver.h>

#include "Libecal/LibecalCalendarConnection.h"

namespace CorlaMeetings {

namespace {

using Done = EdsClient::RegistryReady;

// The process's registry client, once made; never released.
ESourceRegistry*& sharedRegistry() {
  static ESourceRegistry* registry = nullptr;
  return registry;
}

GObjectPtr<ESourceRegistry> referenced(ESourceRegistry* registry) {
  return GObjectPtr<ESourceRegistry>(static_cast<ESourceRegistry*>(g_object_ref(registry)));
}

void registryMade(GObject*, GAsyncResult* result, gpointer data) {
  Done done = CallbackData::take<Done>(data);
  GError* error = nullptr;
  GObjectPtr<ESourceRegistry> registry(e_source_registry_new_finish(result, &error));
  GErrorPtr owned(error);
  if (registry && !sharedRegistry()) sharedRegistry() = static_cast<ESourceRegistry*>(g_object_ref(registry.get()));
  if (error && g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) return;
  if (!registry) return done(nullptr, errorText(error));
  done(std::make_unique<LibecalRegistry>(referenced(sharedRegistry())), "");
}

gboolean registryShared(gpointer data) {
  Done done = CallbackData::take<Done>(data);
  done(std::make_unique<LibecalRegistry>(referenced(sharedRegistry())), "");
  return G_SOURCE_REMOVE;
}

}  // namespace

std::function<void()> LibecalRegistry::connect(Done done) {
  if (sharedRegistry()) {
    // Later, as the first connection answers: the caller is not ready for it yet. The
    // answer is not to come once cancelled.
    auto cancelled = std::make_shared<bool>(false);
    g_idle_add(registryShared, CallbackData::hold(Done([cancelled, done = std::move(done)](auto registry, auto error) {
                 if (!*cancelled) done(std::move(registry), std::move(error));
               })));
    return [cancelled] { *cancelled = true; };
  }
  std::shared_ptr<GCancellable> cancellable(g_cancellable_new(), g_object_unref);
  e_source_registry_new(cancellable.get(), registryMade, CallbackData::hold(std::move(done)));
  return [cancellable] { g_cancellable_cancel(cancellable.get()); };
}

LibecalRegistry::LibecalRegistry(GObjectPtr<ESourceRegistry> registry) : registry_(std::move(registry)) {
  for (const char* signal : {"source-added", "source-removed", "source-enabled", "source-disabled", "source-changed"}) {
    g_signal_connect(registry_.get(), signal, G_CALLBACK(sourceEvent), this);
  }
}

LibecalRegistry::~LibecalRegistry() { g_signal_handlers_disconnect_by_data(registry_.get(), this); }

void LibecalRegistry::sourceEvent(ESourceRegistry*, ESource*, gpointer self) {
  auto* registry = static_cast<LibecalRegistry*>(self);
  if (registry->changed_) {
    std::function<void()> changed = registry->changed_;  // it may replace itself
    changed();
  }
}

std::vector<DesktopCalendar> LibecalRegistry::calendars() const {
  std::vector<DesktopCalendar> calendars;
  GList* sources = e_source_registry_list_sources(registry_.get(), E_SOURCE_EXTENSION_CALENDAR);
  for (GList* item = sources; item; item = item->next) {
    auto* source = static_cast<ESource*>(item->data);
    auto* extension = static_cast<ESourceSelectable*>(e_source_get_extension(source, E_SOURCE_EXTENSION_CALENDAR));
    const char* uid = e_source_get_uid(source);
    const char* name = e_source_get_display_name(source);
    const char* backend = e_source_backend_get_backend_name(E_SOURCE_BACKEND(extension));
    calendars.push_back({
        .uid = uid ? uid : "",
        .name = name ? name : "",
        .backend = backend ? backend : "",
        .enabled = e_source_registry_check_enabled(registry_.get(), source) != FALSE,
        .selected = e_source_selectable_get_selected(extension) != FALSE,
    });
  }
  g_list_free_full(sources, g_object_unref);
  return calendars;
}

std::shared_ptr<EdsCalendarConnection> LibecalRegistry::follow(const std::string& uid, std::string name,
                                                               RunLoop& runLoop,
                                                               EdsCalendarConnection::Listener& listener,
                                                               const EdsConnectionOptions& options) {
  GObjectPtr<ESource> source(e_source_registry_ref_source(registry_.get(), uid.c_str()));
  if (!source) return nullptr;
  return std::make_shared<LibecalCalendarConnection>(std::move(source), std::move(name), runLoop, listener, options);
}

}  // namespace CorlaMeetings
