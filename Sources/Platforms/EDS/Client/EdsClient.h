#pragma once

// What the EDS store asks of libecal. The libecal side lives in a module of its own,
// velto-eds.so (Sources/Platforms/Libecal), which the store loads only once the source list
// names a desktop calendar: a process that reads none never maps libecal, libedataserver,
// libcamel, libsoup, NSS and the rest under them (megabytes of an idle tray's memory).
//
// Everything here runs on the main thread, whose GLib main context must be running: libecal
// answers through it.

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "EDS/Client/EdsConnectionOptions.h"
#include "EDS/Components/ComponentChange.h"
#include "EDS/Sources/CalendarSelection.h"
#include "app/RunLoop.h"

namespace CorlaMeetings {

// Follows one calendar: connects to its backend, opens a view of the components a query
// matches, and reports what the view delivers as ComponentChanges, whole load first. Asynchronous; the
// main thread never waits on D-Bus.
//
// Zones the components name that the listener cannot resolve are fetched from the calendar
// first, and the changes that need them wait for them, in order.
//
// When the calendar factory dies or the backend fails, the connection drops the client and
// tries again after EdsConnectionOptions::retryDelay, doubling the pause up to 64 times
// that; a successful load resets it. The last load's events stay meanwhile (the listener
// keeps them). Destroying the connection stops it: the listener hears nothing more.
class EdsCalendarConnection {
 public:
  class Listener {
   public:
    virtual ~Listener() = default;
    // Changes in the order they happened, in batches.
    virtual void componentsChanged(const std::string& calendar, std::vector<ComponentChange> changes) = 0;
    // The first load has been delivered, or has failed.
    virtual void calendarSettled(const std::string& calendar) = 0;
    virtual void report(const std::string& line) = 0;
    // The zone names (TZIDs) in a component's text whose definitions the calendar must give.
    virtual std::vector<std::string> unknownZones(std::string_view componentText) = 0;
  };

  virtual ~EdsCalendarConnection() = default;
  // Follows the components that the search expression `query` matches (see ViewRange.h);
  // again, with another query: the events there were stay until its load has ended.
  virtual void start(std::string query) = 0;
  virtual bool settled() const = 0;
  // "eds:Personal", for messages.
  virtual const std::string& name() const = 0;
};

// The desktop's source registry: which calendars exist, their names, and whether each is
// enabled and selected.
class EdsRegistry {
 public:
  virtual ~EdsRegistry() = default;
  // Every calendar (events, not tasks or memos), in the registry's order.
  virtual std::vector<DesktopCalendar> calendars() const = 0;
  // Runs after any source was added, removed, enabled, disabled or changed.
  virtual void setChangeHandler(std::function<void()> handler) = 0;
  // A connection to the calendar `uid`, not started, called `name` in messages; null when
  // the calendar is gone. `runLoop` and `listener` must outlive it.
  virtual std::shared_ptr<EdsCalendarConnection> follow(const std::string& uid, std::string name, RunLoop& runLoop,
                                                        EdsCalendarConnection::Listener& listener,
                                                        const EdsConnectionOptions& options) = 0;
};

// The module's way in. One per process, never destroyed.
class EdsClient {
 public:
  virtual ~EdsClient() = default;

  using RegistryReady = std::function<void(std::unique_ptr<EdsRegistry> registry, std::string error)>;

  // Connects in the background (the registry service may first have to start) and calls
  // `ready` later with the registry, or with none and why not. The result cancels the
  // connection: `ready` is then never called.
  virtual std::function<void()> connectRegistry(RegistryReady ready) = 0;
};

// What the program lends the module.
struct EdsClientHost {
  // The lock around every libical call in the process: the module's libecal shares libical
  // with the program's parser.
  std::mutex* libical = nullptr;
};

// The module's one exported function, by this name: the client, or null when the module
// was built for another version of this interface.
constexpr const char* kEdsClientEntry = "veltoEdsClient";
constexpr int kEdsClientInterface = 2;
using EdsClientEntry = EdsClient* (*)(int interface, const EdsClientHost* host);

}  // namespace CorlaMeetings
