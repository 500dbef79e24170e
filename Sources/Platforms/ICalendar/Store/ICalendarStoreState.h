#pragma once

// The inside of ICalendarStore: what its main thread, its workers and its posted tasks
// share. Not for use elsewhere.

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ICalendar/Files/DirectoryWatcher.h"
#include "ICalendar/Query/OccurrenceCache.h"
#include "ICalendar/Store/ICalendarStore.h"
#include "ICalendar/Threads/Executor.h"

namespace CorlaMeetings {

// One source and its last good calendar (null: none yet).
struct StoreEntry {
  CalendarSource source;
  std::shared_ptr<const ParsedCalendar> calendar;
};
using StoreContent = std::vector<StoreEntry>;

// Main thread only. Posted tasks hold it weakly, so that they do nothing once the store
// is gone.
struct ICalendarStoreMainState {
  StoreContent content;
  std::uint64_t version = 0;  // of `content`; later versions replace earlier ones only
  std::function<void()> observer;
  // While the content is that of a start-up read: the window it answers for, and whether
  // a query went beyond it.
  std::optional<TimeReach> provisional;
  bool askedBeyondProvisional = false;

  OccurrenceCache answers;
};

struct ICalendarStoreShared {
  struct SubscriptionStatus {
    std::optional<Instant> lastAttempt;  // by the store's clock
    bool inFlight = false;
  };
  struct AccessRound {
    Instant now;
    std::function<void(bool)> answer;
  };
  // A fetch, or (with `answer` set) the end of an access round: queued behind the round's
  // fetches, so that it is answered once they are done.
  struct FetchJob {
    CalendarSource source;
    bool notify = false;
    std::function<void(bool)> answer;
  };
  // What only the reader's jobs touch.
  struct ReaderState {
    std::vector<CalendarSource> sources;          // as of the latest access request
    std::map<std::string, SourceReader> readers;  // of the path sources, by location
    std::set<std::string> reportedUnsupported;    // and desktop sources, when nobody reads them
    bool reportedNoSources = false;
    bool reportedIndexProblem = false;
    std::uint64_t completions = 0;  // of start-up reads posted; the latest one counts
  };
  // What only the fetcher's jobs touch: of each subscription, what it last held, to skip
  // parsing an unchanged body and to report a failure once.
  struct SubscriptionCopy {
    std::optional<std::size_t> bodyHash;
    std::shared_ptr<const ParsedCalendar> calendar;  // of that body; null when it held none
    std::string reportedProblem;
  };

  ICalendarStoreShared(RunLoop& runLoop, ICalendarStore::SourceListProvider sources, ICalendarStoreOptions options,
                       std::weak_ptr<ICalendarStoreMainState> main);

  RunLoop& runLoop;
  const ICalendarStore::SourceListProvider sources;
  const ICalendarStoreOptions options;
  const std::weak_ptr<ICalendarStoreMainState> main;
  SubscriptionFetcher fetcher;

  // Set as the store goes: a worker reading a large folder stops half way.
  std::atomic<bool> abandoning{false};

  std::mutex mutex;  // guards everything down to the workers; never held during I/O
  bool stopping = false;
  bool rereadPosted = false;      // and not yet started
  bool completionPosted = false;  // of a start-up read: a change waits for it, which reads it too
  bool rereadWaiting = false;     // for that completion
  int fetcherJobs = 0;            // posted to the fetcher and not yet done with
  StoreContent content;           // the workers' view, ahead of the main thread's
  std::uint64_t version = 0;
  std::optional<TimeReach> provisional;                     // the window `content` answers for, after a start-up read
  std::map<std::string, SubscriptionStatus> subscriptions;  // by location

  ReaderState readerState;
  std::map<std::string, SubscriptionCopy> copies;  // by location
  std::unique_ptr<DirectoryWatcher> watcher;
  std::unique_ptr<Executor> reader;   // reads the sources, one round or reread at a time
  std::unique_ptr<Executor> fetches;  // fetches subscriptions, one at a time

  // Callers hold `mutex`.
  bool isStale(const SubscriptionStatus& status, Instant now) const;
  bool anyCalendar() const;
  void postFetch(FetchJob job);
  // A reread of the files and folders, as the watcher asks for one.
  void postReread();

  // Any thread.
  void report(const std::string& line);
  // `window`: the one a start-up read's content answers for; none once it is complete.
  void postContent(StoreContent snapshot, std::uint64_t snapshotVersion, bool notify, std::optional<TimeReach> window);
  void postAnswer(std::function<void(bool)> answer, bool granted);

 private:
  std::mutex reportMutex_;
};

// The workers' jobs.
void readForAccess(ICalendarStoreShared& shared, ICalendarStoreShared::AccessRound round);
void reread(ICalendarStoreShared& shared);
void fetch(ICalendarStoreShared& shared, ICalendarStoreShared::FetchJob job);

}  // namespace CorlaMeetings
