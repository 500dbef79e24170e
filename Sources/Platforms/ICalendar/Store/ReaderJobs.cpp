// The store's reader jobs: they read the source list and the files and folders it names,
// and answer access requests. They do their slow work (I/O, parsing) without the lock, then
// publish under it and post the result to the main thread.

#include <algorithm>
#include <chrono>
#include <set>
#include <utility>

#include "ICalendar/Store/ICalendarStoreState.h"

namespace CorlaMeetings {

namespace {

using ReaderState = ICalendarStoreShared::ReaderState;

struct PathsRead {
  bool changed = false;
  bool notable = false;      // changed other than by completing a start-up read
  bool provisional = false;  // some reader holds only what reaches the start-up window
};

PathsRead readPaths(ICalendarStoreShared& shared, ReaderState& state,
                    const std::optional<TimeReach>& startupWindow = {}) {
  PathsRead read;
  for (auto& [location, reader] : state.readers) {
    SourceReader::Result result = reader.read([&shared] { return shared.abandoning.load(); }, startupWindow);
    read.changed = read.changed || result.changed;
    read.notable = read.notable || (result.changed && !result.sameAnswers);
    read.provisional = read.provisional || reader.provisional();
    std::string prefix = problemPrefix({CalendarSource::Kind::path, location});
    for (const std::string& problem : result.problems) shared.report(prefix + problem);
  }
  return read;
}

// Saves the readers' start-up indexes where they changed; a failure costs only speed.
void saveIndexes(ICalendarStoreShared& shared, ReaderState& state) {
  for (auto& [location, reader] : state.readers) {
    const std::string error = reader.saveIndex();
    if (error.empty() || state.reportedIndexProblem) continue;
    state.reportedIndexProblem = true;
    shared.report("start-up index not saved in " + shared.options.index.folder + " (" + error +
                  "); each start reads every calendar file");
  }
}

// The days a start-up's first answers are about (today and the next three, in any zone),
// with a day to spare on either side.
TimeReach startupWindow(Instant now) {
  using namespace std::chrono;
  return TimeReach::between(now - days(2), now + days(5));
}

void watchPaths(ICalendarStoreShared& shared, ReaderState& state) {
  std::vector<WatchedDirectory> watched;
  for (const auto& [location, reader] : state.readers) {
    std::vector<WatchedDirectory> more = reader.watchedDirectories();
    watched.insert(watched.end(), more.begin(), more.end());
  }
  // Sent even when unchanged: the watcher drops a directory that was removed, and the
  // same list then watches the one made in its place.
  shared.watcher->setDirectories(std::move(watched));
}

// The content for `sources`: path sources from their readers, subscriptions as last fetched.
StoreContent contentFor(const ReaderState& state, const StoreContent& previous) {
  StoreContent content;
  for (const CalendarSource& source : state.sources) {
    StoreEntry entry{source, nullptr};
    if (source.kind == CalendarSource::Kind::path) {
      entry.calendar = state.readers.at(source.location).calendar();
    } else if (source.kind == CalendarSource::Kind::subscription) {
      auto old =
          std::find_if(previous.begin(), previous.end(), [&](const StoreEntry& e) { return e.source == source; });
      if (old != previous.end()) entry.calendar = old->calendar;
    }
    content.push_back(std::move(entry));
  }
  return content;
}

void takeSourceList(ICalendarStoreShared& shared, ReaderState& state) {
  state.sources = shared.sources ? shared.sources() : std::vector<CalendarSource>();
  if (state.sources.empty() && !state.reportedNoSources) {
    shared.report("no calendars to read: name them with --calendar, or list them in ~/.config/velto/calendars");
  }
  state.reportedNoSources = state.sources.empty();

  std::map<std::string, SourceReader> readers;
  for (const CalendarSource& source : state.sources) {
    if (source.kind == CalendarSource::Kind::unsupported && state.reportedUnsupported.insert(source.location).second) {
      shared.report(problemPrefix(source) + "not a kind of source this reads (files, folders, http and https URLs)");
    }
    if (source.kind == CalendarSource::Kind::desktop && !shared.options.desktopCalendarsReadElsewhere &&
        state.reportedUnsupported.insert(describeCalendarSource(source)).second) {
      shared.report(describeCalendarSource(source) +
                    " names calendars of Evolution Data Server, which this build of Velto cannot read");
    }
    if (source.kind != CalendarSource::Kind::path || readers.contains(source.location)) continue;
    auto existing = state.readers.find(source.location);
    if (existing != state.readers.end()) {
      readers.emplace(source.location, std::move(existing->second));
    } else {
      readers.emplace(source.location,
                      SourceReader(source.location, shared.options.read, shared.options.index, shared.options.files));
    }
  }
  state.readers = std::move(readers);
}

void complete(ICalendarStoreShared& shared);

void answerAccessRound(ICalendarStoreShared& shared, ReaderState& state, ICalendarStoreShared::AccessRound round) {
  takeSourceList(shared, state);
  const TimeReach window = startupWindow(round.now);
  const PathsRead read = readPaths(shared, state, window);

  StoreContent snapshot;
  std::uint64_t version = 0;
  std::optional<TimeReach> provisional;
  {
    std::lock_guard lock(shared.mutex);
    // From here on a change waits for the completion, if any: the watcher reports one as
    // it starts, and a single print would pay for reading it.
    shared.completionPosted = read.provisional;
    shared.content = contentFor(state, shared.content);
    snapshot = shared.content;
    version = ++shared.version;
    shared.provisional = read.provisional ? std::optional(window) : std::nullopt;
    provisional = shared.provisional;
    std::erase_if(shared.subscriptions, [&](const auto& entry) {
      return !entry.second.inFlight && std::none_of(state.sources.begin(), state.sources.end(),
                                                    [&](const CalendarSource& s) { return s.location == entry.first; });
    });
    // Subscriptions without a fresh copy are fetched before the answer; the answer goes
    // through the fetcher's queue, which keeps answers in the order asked, unless the
    // fetcher has nothing queued or in hand.
    for (const StoreEntry& entry : shared.content) {
      if (entry.source.kind != CalendarSource::Kind::subscription) continue;
      ICalendarStoreShared::SubscriptionStatus& status = shared.subscriptions[entry.source.location];
      if (status.inFlight || (entry.calendar && !shared.isStale(status, round.now))) continue;
      status.inFlight = true;
      status.lastAttempt = round.now;
      shared.postFetch({entry.source, false, nullptr});
    }
  }
  // The answer starts a refresh, so the content needs no change notification; it must
  // reach the main thread before the answer does.
  shared.postContent(std::move(snapshot), version, false, provisional);
  std::optional<bool> granted;  // set when answered from here, a worker's turn sooner
  {
    std::lock_guard lock(shared.mutex);
    if (shared.fetcherJobs == 0) {
      granted = shared.anyCalendar();
    } else {
      shared.postFetch({CalendarSource(), false, std::move(round.answer)});
    }
  }
  if (granted) shared.postAnswer(std::move(round.answer), *granted);
  watchPaths(shared, state);
  // Once the answer is on its way: a single print does not wait for this.
  saveIndexes(shared, state);
  const std::uint64_t completion = ++state.completions;  // a later round puts an earlier one off
  std::lock_guard lock(shared.mutex);
  // A store going away (a print that has its answer) is letting go of this executor.
  if (shared.stopping) return;
  if (read.provisional) {
    shared.reader->postAfter(shared.options.index.completeAfter, [&shared, completion] {
      if (completion == shared.readerState.completions) complete(shared);
    });
  } else if (shared.rereadWaiting) {
    shared.rereadWaiting = false;
    shared.postReread();
  }
}

void rereadPaths(ICalendarStoreShared& shared, ReaderState& state) {
  const PathsRead read = readPaths(shared, state);
  if (read.changed) {
    StoreContent snapshot;
    std::uint64_t version = 0;
    std::optional<TimeReach> provisional;
    {
      std::lock_guard lock(shared.mutex);
      for (StoreEntry& entry : shared.content) {
        if (entry.source.kind == CalendarSource::Kind::path) {
          auto reader = state.readers.find(entry.source.location);
          if (reader != state.readers.end()) entry.calendar = reader->second.calendar();
        }
      }
      snapshot = shared.content;
      version = ++shared.version;
      if (!read.provisional) shared.provisional.reset();
      provisional = shared.provisional;
    }
    shared.postContent(std::move(snapshot), version, read.notable, provisional);
  }
  watchPaths(shared, state);
  saveIndexes(shared, state);
}

// Reads what a start-up read left out, with the changes that waited for it.
void complete(ICalendarStoreShared& shared) {
  {
    std::lock_guard lock(shared.mutex);
    shared.completionPosted = false;
    shared.rereadWaiting = false;
  }
  rereadPaths(shared, shared.readerState);
}

}  // namespace

void readForAccess(ICalendarStoreShared& shared, ICalendarStoreShared::AccessRound round) {
  {
    std::lock_guard lock(shared.mutex);
    shared.rereadWaiting = false;  // the round reads everything anyway
  }
  answerAccessRound(shared, shared.readerState, std::move(round));
}

void reread(ICalendarStoreShared& shared) {
  {
    std::lock_guard lock(shared.mutex);
    shared.rereadPosted = false;
  }
  rereadPaths(shared, shared.readerState);
}

}  // namespace CorlaMeetings
