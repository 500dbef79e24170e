#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "EDS/Client/EdsConnectionOptions.h"
#include "ICalendar/Sources/CalendarSource.h"
#include "ICalendar/Threads/Executor.h"
#include "app/CalendarStore.h"
#include "app/Clock.h"
#include "app/RunLoop.h"

namespace CorlaMeetings {

class EdsStoreCore;

struct EdsCalendarStoreOptions {
  // The longest an access answer waits for the registry and each calendar's first load;
  // what comes later follows with a change notification.
  Duration accessWait = std::chrono::seconds(20);
  // Changes closer together than this give one change notification. EDS itself holds a
  // view's changes of one kind for a timer of two whole seconds (up to three), and sends
  // them at once when a change of another kind comes: one edit or one sync can reach us as
  // batches that far apart.
  Duration changeQuiet = std::chrono::seconds(3);
  EdsConnectionOptions connection;
  // The libecal module (velto-eds.so) to load; empty: this program's own.
  std::string module;
  // Receives one line per problem (the service unreachable, a calendar that fails, an event
  // the parser dropped), from any thread, one call at a time; never the UI. Unset: stderr.
  std::function<void(std::string_view line)> problems;
  // Where the source list is read and events are parsed, one job at a time, as the
  // iCalendar store's work is. Unset: a thread of its own. Tests may run it on their loop.
  std::function<std::unique_ptr<Executor>()> executor;
};

// The calendars of the desktop's calendar service (Evolution Data Server) that the source
// list's desktop entries name: "eds:" for every enabled calendar selected in GNOME Calendar
// or Evolution, "eds:NAME" for one by its name or UID. Events only, not tasks or memos.
//
// Followed live: calendars added, removed, enabled, disabled, selected, deselected or
// renamed in the registry, and events added, changed or removed in each calendar (a view
// per calendar). A burst of changes gives one change notification, on the main thread.
//
// What is held is every series and the single events of the next few weeks (ViewRange.h):
// a query of another time (the clock moved on or was set far ahead or back) is answered
// from what is held, and what it asks for comes with a change notification.
//
// Each event's iCalendar text goes through the iCalendar parser, its limits and its
// occurrence code, as an event from a file does: the same event gives the same meetings
// and identifiers from either store. Parsing happens on a worker (`executor`); events() answers
// from what is already parsed and never waits.
//
// Access: each request reads the source list again (on the worker), connects to the
// registry if need be, and answers once every named calendar has loaded (or failed, or
// accessWait has passed): granted when the registry answered and at least one
// calendar is there to read. Without desktop entries it answers no at once, touching no
// D-Bus. The calendar factory dying or a backend failing keeps the last events; the
// store reconnects and notifies once the calendar is back. `runLoop` and `clock` must
// outlive the store.
//
// libecal is reached through the module velto-eds.so (EDS/EdsClient.h), loaded by the first
// request that finds desktop entries; without it, those entries are reported as unreadable
// here and access is refused.
//
// Main thread only, and that thread must run GLib's default main context (Qt's event loop
// does on Linux): libecal answers through it.
class EdsCalendarStore : public CalendarStore {
 public:
  using SourceListProvider = std::function<std::vector<CalendarSource>()>;

  EdsCalendarStore(RunLoop& runLoop, const Clock& clock, SourceListProvider sources,
                   EdsCalendarStoreOptions options = {});
  ~EdsCalendarStore() override;
  EdsCalendarStore(const EdsCalendarStore&) = delete;
  EdsCalendarStore& operator=(const EdsCalendarStore&) = delete;

  void requestAccess(std::function<void(bool granted)> answer) override;
  // A request reads the source list and the registry again: nothing a person is asked.
  bool askingAgainIsFree() const override { return true; }
  std::vector<std::shared_ptr<const CalendarEvent>> events(Instant start, Instant end) override;
  void setChangeObserver(std::function<void()> observer) override;

 private:
  std::shared_ptr<EdsStoreCore> core_;  // GLib callbacks and posted tasks hold it weakly
};

}  // namespace CorlaMeetings
