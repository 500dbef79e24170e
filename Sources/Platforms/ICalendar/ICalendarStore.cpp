#include "ICalendar/ICalendarStore.h"

#include <algorithm>
#include <utility>

#include "ICalendar/ICalendarStoreShared.h"
#include "ICalendar/ProblemLines.h"

namespace CorlaMeetings {

namespace {

bool sameCalendars(const StoreContent& a, const StoreContent& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].source != b[i].source || a[i].calendar != b[i].calendar) return false;
  }
  return true;
}

}  // namespace

ICalendarStoreShared::ICalendarStoreShared(RunLoop& loop, ICalendarStore::SourceListProvider provider,
                                           ICalendarStoreOptions storeOptions,
                                           std::weak_ptr<ICalendarStoreMainState> mainState)
    : runLoop(loop),
      sources(std::move(provider)),
      options(std::move(storeOptions)),
      main(std::move(mainState)),
      fetcher(options.fetch) {}

bool ICalendarStoreShared::isStale(const SubscriptionStatus& status, Instant now) const {
  if (!status.lastAttempt) return true;
  const Duration age = now - *status.lastAttempt;
  return age >= options.subscriptionMaxAge || age < Duration::zero();  // a clock set back: its age is unknown
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
  shared->watcher = std::make_unique<FileWatcher>([shared] {
    std::lock_guard lock(shared->mutex);
    shared->rereadRequested = true;
    shared->readerWake.notify_one();
  });
  if (!shared->watcher->error().empty()) {
    shared->report("calendar files are not watched for changes: " + shared->watcher->error());
  }
  shared->reader = std::thread([shared] { runSourceReader(*shared); });
  shared->fetcherThread = std::thread([shared] { runSubscriptionFetcher(*shared); });
}

ICalendarStore::~ICalendarStore() {
  {
    std::lock_guard lock(shared_->mutex);
    shared_->stopping = true;
    shared_->abandoning = true;
  }
  shared_->readerWake.notify_all();
  shared_->fetcherWake.notify_all();
  shared_->fetcher.cancel();
  shared_->reader.join();
  shared_->fetcherThread.join();
  shared_->watcher.reset();  // its callback touches the shared state: stop it first
}

void ICalendarStore::requestAccess(std::function<void(bool granted)> answer) {
  {
    std::lock_guard lock(shared_->mutex);
    shared_->rounds.push_back({clock_.now(), std::move(answer)});
  }
  shared_->readerWake.notify_one();
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
  bool queued = false;
  {
    std::lock_guard lock(shared_->mutex);
    for (const StoreEntry& entry : main_->content) {
      if (entry.source.kind != CalendarSource::Kind::subscription) continue;
      ICalendarStoreShared::SubscriptionStatus& status = shared_->subscriptions[entry.source.location];
      if (status.inFlight || !shared_->isStale(status, now)) continue;
      status.inFlight = true;
      status.lastAttempt = now;
      shared_->fetches.push_back({entry.source, true, nullptr});
      queued = true;
    }
  }
  if (queued) shared_->fetcherWake.notify_one();
  return events;
}

void ICalendarStore::setChangeObserver(std::function<void()> observer) { main_->observer = std::move(observer); }

}  // namespace CorlaMeetings
