#pragma once

// The inside of ICalendarStore: what its main thread, its worker threads and its posted
// tasks share. Not for use elsewhere.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ICalendar/FileWatcher.h"
#include "ICalendar/ICalendarStore.h"
#include "ICalendar/OccurrenceCache.h"

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

  ICalendarStoreShared(RunLoop& runLoop, ICalendarStore::SourceListProvider sources, ICalendarStoreOptions options,
                       std::weak_ptr<ICalendarStoreMainState> main);

  RunLoop& runLoop;
  const ICalendarStore::SourceListProvider sources;
  const ICalendarStoreOptions options;
  const std::weak_ptr<ICalendarStoreMainState> main;
  SubscriptionFetcher fetcher;

  // Set as the store goes: a worker reading a large folder stops half way.
  std::atomic<bool> abandoning{false};

  std::mutex mutex;  // guards everything down to the threads; never held during I/O
  std::condition_variable readerWake;
  std::condition_variable fetcherWake;
  bool stopping = false;
  std::deque<AccessRound> rounds;
  bool rereadRequested = false;
  std::deque<FetchJob> fetches;
  bool fetcherBusy = false;  // with a job taken from `fetches`, until what it posts is posted
  StoreContent content;  // the workers' view, ahead of the main thread's
  std::uint64_t version = 0;
  std::optional<TimeReach> provisional;  // the window `content` answers for, after a start-up read
  std::map<std::string, SubscriptionStatus> subscriptions;  // by location

  std::unique_ptr<FileWatcher> watcher;
  std::thread reader;
  std::thread fetcherThread;

  // Callers hold `mutex`.
  bool isStale(const SubscriptionStatus& status, Instant now) const;
  bool anyCalendar() const;

  // Any thread.
  void report(const std::string& line);
  // `window`: the one a start-up read's content answers for; none once it is complete.
  void postContent(StoreContent snapshot, std::uint64_t snapshotVersion, bool notify,
                   std::optional<TimeReach> window);
  void postAnswer(std::function<void(bool)> answer, bool granted);

 private:
  std::mutex reportMutex_;
};

// The workers' loops, run on their threads until `stopping`.
void runSourceReader(ICalendarStoreShared& shared);
void runSubscriptionFetcher(ICalendarStoreShared& shared);

}  // namespace CorlaMeetings
