#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "EDS/CalendarSelection.h"
#include "EDS/GLibHandles.h"

typedef struct _ESource ESource;
typedef struct _ESourceRegistry ESourceRegistry;

namespace CorlaMeetings {

// The desktop's source registry: which calendars exist, their names, and whether each is
// enabled and selected. Main thread; its signals come through the main thread's GLib
// context, which must be running (Qt's event loop runs it on Linux).
//
// One registry client serves the whole process and stays to its end: it follows the
// service by itself, even through restarts, so later connections need no new thread and
// no new D-Bus set-up (and libedataserver leaks a little each time one is finalized).
class EdsRegistry {
 public:
  // Connects in the background (the registry service may first have to start) and calls
  // `done` later, on the main thread, with the registry, or with none and why not. Not
  // called when `cancellable` is cancelled first.
  static void connect(GCancellable* cancellable,
                      std::function<void(std::unique_ptr<EdsRegistry> registry, std::string error)> done);

  explicit EdsRegistry(GObjectPtr<ESourceRegistry> registry);
  ~EdsRegistry();
  EdsRegistry(const EdsRegistry&) = delete;
  EdsRegistry& operator=(const EdsRegistry&) = delete;

  // Every calendar (events, not tasks or memos), in the registry's order.
  std::vector<DesktopCalendar> calendars() const;
  // The source of a calendar, with a new reference; null when it is gone.
  GObjectPtr<ESource> source(const std::string& uid) const;

  // Runs on the main thread after any source was added, removed, enabled, disabled or changed.
  void setChangeHandler(std::function<void()> handler) { changed_ = std::move(handler); }

 private:
  static void sourceEvent(ESourceRegistry* registry, ESource* source, gpointer self);

  GObjectPtr<ESourceRegistry> registry_;
  std::function<void()> changed_;
};

}  // namespace CorlaMeetings
