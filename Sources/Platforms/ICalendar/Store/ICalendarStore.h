#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "ICalendar/Files/FileSystem.h"
#include "ICalendar/Sources/CalendarSource.h"
#include "ICalendar/Sources/SourceReader.h"
#include "ICalendar/Sources/SubscriptionFetcher.h"
#include "ICalendar/Threads/Executor.h"
#include "app/CalendarStore.h"
#include "app/Clock.h"
#include "app/RunLoop.h"

namespace CorlaMeetings {

struct ICalendarStoreShared;
struct ICalendarStoreMainState;

struct ICalendarStoreOptions {
  // A subscription copy older than this is fetched again when a query sees it.
  Duration subscriptionMaxAge = std::chrono::minutes(5);
  SourceReadLimits read;
  // Where files and folders keep their start-up index (none by default): a start-up then
  // reads only what can reach the days around now, and the rest a moment later.
  StartupIndexOptions index;
  FetchLimits fetch;
  // Receives one line per problem (a source that cannot be read, an event the parser
  // dropped), from the workers, one call at a time; never the UI. Lines name sources
  // without secrets and hold no control characters. Unset: standard error.
  std::function<void(std::string_view line)> problems;
  // Whether another store reads the desktop's calendars ("eds:" sources). This one never
  // does; when nobody does, it reports them as beyond this build.
  bool desktopCalendarsReadElsewhere = false;
  // Where the store's work runs, asked twice: for reading files and folders, and for
  // fetching subscriptions. Unset: a thread each. Tests run it on their simulated loop.
  std::function<std::unique_ptr<Executor>()> executor;
  // Where files and folders are read, and what tells of their changes. Unset: the disk
  // (with inotify). Tests keep theirs in memory (MemoryFileSystem).
  std::shared_ptr<FileSystem> files;
};

// The calendars of iCalendar sources: .ics files, vdir folders and http(s) subscriptions.
// Desktop sources in the list are left to their own store.
//
// Reading and parsing happen on two workers (threads, unless `executor` says otherwise):
// one for files and folders, one that fetches subscriptions. Finished calendars are
// swapped in on the main thread, so a query only expands what it asks for and never waits
// on a disk or the network.
//
// Access: each request reads the source list again, reads every source (fetching the
// subscriptions with no fresh copy), then answers on the main thread: granted when at
// least one source has a calendar. Nobody is prompted, so asking again is free.
//
// Start-up: with an index, the first read of a file or folder parses only what can reach
// the days around now (from two days before to five days after), and the first queries are
// answered from that; the rest is read a moment later (StartupIndexOptions::completeAfter)
// without a change notification, as answers in those days stay the same. A query beyond
// them meanwhile gets one when the rest is in. The index is saved after each read that
// changed it; a failure to save is reported once.
//
// Changes: files and folders are watched; a change re-reads them and, when the calendars
// differ, calls the observer on the main thread. A subscription is fetched again when a
// query finds its copy stale; new content calls the observer too.
//
// Every source keeps its last good content through failed reads and bad rewrites.
//
// Destroying the store stops its workers, waiting for the jobs they run; work they posted
// and that runs later does nothing (an access answer pending then is dropped). `runLoop`
// and `clock` must outlive the store.
class ICalendarStore : public CalendarStore {
 public:
  // The source list, read again on each access request, by the reader.
  using SourceListProvider = std::function<std::vector<CalendarSource>()>;

  // Main thread.
  ICalendarStore(RunLoop& runLoop, const Clock& clock, SourceListProvider sources, ICalendarStoreOptions options = {});
  ~ICalendarStore() override;
  ICalendarStore(const ICalendarStore&) = delete;
  ICalendarStore& operator=(const ICalendarStore&) = delete;

  void requestAccess(std::function<void(bool granted)> answer) override;
  std::vector<std::shared_ptr<const CalendarEvent>> events(Instant start, Instant end) override;
  void setChangeObserver(std::function<void()> observer) override;
  bool askingAgainIsFree() const override { return true; }

 private:
  const Clock& clock_;
  std::shared_ptr<ICalendarStoreMainState> main_;  // posted tasks hold it weakly
  std::unique_ptr<ICalendarStoreShared> shared_;   // with the workers
};

}  // namespace CorlaMeetings
