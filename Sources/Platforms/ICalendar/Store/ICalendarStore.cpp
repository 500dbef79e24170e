#include "ICalendar/Store/ICalendarStore.h"

#include <algorithm>
#include <utility>

#include "ICalendar/Store/ICalendarStoreState.h"
#include "ICalendar/Text/ProblemLines.h"
#include "ICalendar/Threads/SerialWorker.h"

namespace CorlaMeetings {

namespace {

bool sameCalendars(const StoreContent& a, const StoreContent& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].source != b[i].source || a[i].calendar != b[i].calendar) return false;
  }
  return true;
}

ICalendarStoreOptions withFileSystem(ICalendarStoreOptions options) {
  if (!options.files) options.files = localFileSystem();
  return options;
}

}  // namespace

ICalendarStoreShared::ICalendarStoreShared(RunLoop& loop, ICalendarStore::SourceListProvider provider,
                                           ICalendarStoreOptions storeOptions,
                                           std::weak_ptr<ICalendarStoreMainState> mainState)
    : runLoop(loop),
      sources(std::move(provider)),
      options(withFileSystem(std::move(storeOptions))),
      main(std::move(mainState)),
      fetcher(options.fetch) {}

bool ICalendarStoreShared::isStale(const SubscriptionStatus& status, Instant now) const {
  if (!status.lastAttempt) return true;
  const Duration age = now - *status.lastAttempt;
  return age >= options.subscriptionMaxAge || age < Duration::zero();  // a clock set back: its age is unknown
}

void ICalendarStoreShared::postFetch(FetchJob job) {
  ++fetcherJobs;
  fetches->post([this, job = std::move(job)]() mutable { fetch(*this, std::move(job)); });
}

void ICalendarStoreShared::postReread() {
  if (stopping) return;
  if (completionPosted) {
    rereadWaiting = true;
  } else if (!rereadPosted) {
    rereadPosted = true;
    reader->post([this] { reread(*this); });
  }
}

bool ICalendarStoreShared::anyCalendar() const {
  for (const StoreEntry& entry : content) {
    if (entry.calendar) return true;
  }
  return false;
}

void ICalendarStoreShared::report(const std::string& line) {
  std::lock_guard lock(reportMutex_);
  reportProblemLine(line, options.problems);
}

void ICalendarStoreShared::postContent(StoreContent snapshot, std::uint64_t snapshotVersion, bool notify,
                                       std::optional<TimeReach> window) {
  runLoop.postTask([main = main, snapshot = std::move(snapshot), snapshotVersion, notify, window]() mutable {
    std::shared_ptr<ICalendarStoreMainState> state = main.lock();
    if (!state || snapshotVersion <= state->version) return;  // gone, or overtaken by a newer one
    bool changed = !sameCalendars(state->content, snapshot);
    state->content = std::move(snapshot);
    state->version = snapshotVersion;
    // A query beyond a start-up read's window may have missed what it left out.
    if (!window && state->askedBeyondProvisional) {
      notify = true;
      state->askedBeyondProvisional = false;
    }
    state->provisional = window;
    if (notify && changed && state->observer) {
      std::function<void()> observer = state->observer;  // it may replace itself
      observer();
    }
  });
}

void ICalendarStoreShared::postAnswer(std::function<void(bool)> answer, bool granted) {
  runLoop.postTask([main = main, answer = std::move(answer), granted] {
    if (main.lock()) answer(granted);
  });
}

ICalendarStore::ICalendarStore(RunLoop& runLoop, const Clock& clock, SourceListProvider sources,
                               ICalendarStoreOptions options)
    : clock_(clock), main_(std::make_shared<ICalendarStoreMainState>()) {
  shared_ = std::make_unique<ICalendarStoreShared>(runLoop, std::move(sources), std::move(options), main_);
  ICalendarStoreShared* shared = shared_.get();
  auto executor = [&shared]() -> std::unique_ptr<Executor> {
    if (shared->options.executor) return shared->options.executor();
    return std::make_unique<SerialWorker>();
  };
  shared->reader = executor();
  shared->fetches = executor();
  auto onChange = [shared] {
    std::lock_guard lock(shared->mutex);
    shared->postReread();
  };
  shared->watcher = shared->options.files->watcher(onChange);
  if (!shared->watcher->error().empty()) {
    shared->report("calendar files are not watched for changes: " + shared->watcher->error());
  }
}

ICalendarStore::~ICalendarStore() {
  {
    std::lock_guard lock(shared_->mutex);
    shared_->stopping = true;
    shared_->abandoning = true;
  }
  shared_->fetcher.cancel();
  // The reader's jobs tell the watcher what to watch, and post fetches: it goes first, while
  // they are there; the watcher posts no more once the store is stopping.
  shared_->reader.reset();
  shared_->fetches.reset();
  shared_->watcher.reset();
}

void ICalendarStore::requestAccess(std::function<void(bool granted)> answer) {
  shared_->reader->post(
      [shared = shared_.get(), round = ICalendarStoreShared::AccessRound{clock_.now(), std::move(answer)}] {
        readForAccess(*shared, round);
      });
}

std::vector<std::shared_ptr<const CalendarEvent>> ICalendarStore::events(Instant start, Instant end) {
  if (main_->provisional && !main_->provisional->holds(TimeReach::between(start, end))) {
    main_->askedBeyondProvisional = true;
  }
  std::vector<std::shared_ptr<const CalendarEvent>> events = main_->answers.answer(main_->version, start, end, [&] {
    std::vector<std::shared_ptr<const CalendarEvent>> all;
    for (const StoreEntry& entry : main_->content) {
      if (!entry.calendar) continue;
      std::vector<std::shared_ptr<const CalendarEvent>> found = entry.calendar->occurrences(start, end);
      all.insert(all.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
    }
    return all;
  });
  const bool hasSubscription = std::any_of(main_->content.begin(), main_->content.end(), [](const StoreEntry& entry) {
    return entry.source.kind == CalendarSource::Kind::subscription;
  });
  if (!hasSubscription) return events;

  // Every query is a chance to notice a stale copy: fetch it in the background and answer
  // from the copy at hand now.
  Instant now = clock_.now();
  {
    std::lock_guard lock(shared_->mutex);
    for (const StoreEntry& entry : main_->content) {
      if (entry.source.kind != CalendarSource::Kind::subscription) continue;
      ICalendarStoreShared::SubscriptionStatus& status = shared_->subscriptions[entry.source.location];
      if (status.inFlight || !shared_->isStale(status, now)) continue;
      status.inFlight = true;
      status.lastAttempt = now;
      shared_->postFetch({entry.source, true, nullptr});
    }
  }
  return events;
}

void ICalendarStore::setChangeObserver(std::function<void()> observer) { main_->observer = std::move(observer); }

}  // namespace CorlaMeetings
