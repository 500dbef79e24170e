#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "EDS/Client/EdsClient.h"
#include "Libecal/GLibHandles.h"

typedef struct _ESource ESource;
typedef struct _ESourceRegistry ESourceRegistry;

namespace CorlaMeetings {

// The registry through libedataserver. Its signals come through the main thread's GLib
// context.
//
// One registry client serves the whole process and stays to its end: it follows the
// service by itself, even through restarts, so later connections need no new thread and
// no new D-Bus set-up (and libedataserver leaks a little each time one is finalized).
class LibecalRegistry : public EdsRegistry {
 public:
  // As EdsClient::connectRegistry.
  static std::function<void()> connect(EdsClient::RegistryReady ready);

  explicit LibecalRegistry(GObjectPtr<ESourceRegistry> registry);
  ~LibecalRegistry() override;
  LibecalRegistry(const LibecalRegistry&) = delete;
  LibecalRegistry& operator=(const LibecalRegistry&) = delete;

  std::vector<DesktopCalendar> calendars() const override;
  void setChangeHandler(std::function<void()> handler) override { changed_ = std::move(handler); }
  std::shared_ptr<EdsCalendarConnection> follow(const std::string& uid, std::string name, RunLoop& runLoop,
                                                EdsCalendarConnection::Listener& listener,
                                                const EdsConnectionOptions& options) override;

 private:
  static void sourceEvent(ESourceRegistry* registry, ESource* source, gpointer self);

  GObjectPtr<ESourceRegistry> registry_;
  std::function<void()> changed_;
};

}  // namespace CorlaMeetings
