// The store's two worker threads: one reads files and folders, one fetches subscriptions.
// Each does its slow work (I/O, parsing) without the lock, then publishes under it and
// posts the result to the main thread.

#include <algorithm>
#include <chrono>
#include <functional>
#include <set>
#include <utility>

#include "ICalendar/ICalendarStoreShared.h"

namespace CorlaMeetings {

namespace {

std::string sourcePrefix(const CalendarSource& source) { return "calendar " + describeCalendarSource(source) + ": "; }

// The reader thread's own state.
struct ReaderState {
  std::vector<CalendarSource> sources;              // as of the latest access request
  std::map<std::string, SourceReader> readers;      // of the path sources, by location
  std::set<std::string> reportedUnsupported;  // and desktop sources, when nobody reads them
  bool reportedNoSources = false;
  // When to read what a start-up read left out.
  std::optional<std::chrono::steady_clock::time_point> completeAt;
  bool reportedIndexProblem = false;
};

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
    std::string prefix = sourcePrefix({CalendarSource::Kind::path, location});
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
      auto old = std::find_if(previous.begin(), previous.end(), [&](const StoreEntry& e) { return e.source == source; });
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
      shared.report(sourcePrefix(source) + "not a kind of source this reads (files, folders, http and https URLs)");
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
      readers.emplace(source.location, SourceReader(source.location, shared.options.read, shared.options.index));
    }
  }
  state.readers = std::move(readers);
}

void answerAccessRound(ICalendarStoreShared& shared, ReaderState& state, ICalendarStoreShared::AccessRound round) {
  takeSourceList(shared, state);
  const TimeReach window = startupWindow(round.now);
  const PathsRead read = readPaths(shared, state, window);

  StoreContent snapshot;
  std::uint64_t version = 0;
  std::optional<TimeReach> provisional;
  {
    std::lock_guard lock(shared.mutex);
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
      shared.fetches.push_back({entry.source, false, nullptr});
    }
  }
  // The answer starts a refresh, so the content needs no change notification; it must
  // reach the main thread before the answer does.
  shared.postContent(std::move(snapshot), version, false, provisional);
  std::optional<bool> granted;  // set when answered from here, a thread's wake-up sooner
  {
    std::lock_guard lock(shared.mutex);
    if (shared.fetches.empty() && !shared.fetcherBusy) {
      granted = shared.anyCalendar();
    } else {
      shared.fetches.push_back({CalendarSource(), false, std::move(round.answer)});
    }
  }
  if (granted) {
    shared.postAnswer(std::move(round.answer), *granted);
  } else {
    shared.fetcherWake.notify_one();
  }
  watchPaths(shared, state);
  // Once the answer is on its way: a single print does not wait for this.
  saveIndexes(shared, state);
  state.completeAt.reset();
  if (read.provisional) state.completeAt = std::chrono::steady_clock::now() + shared.options.index.completeAfter;
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
  if (!read.provisional) state.completeAt.reset();
}

// The fetcher thread's memory of one subscription: what it last held, to skip parsing an
// unchanged body and to report a failure once.
struct SubscriptionCopy {
  std::optional<std::size_t> bodyHash;
  std::shared_ptr<const ParsedCalendar> calendar;  // of that body; null when it held none
  std::string reportedProblem;
};

void note(SubscriptionCopy& copy, std::string problem, std::vector<std::string>& problems) {
  if (problem == copy.reportedProblem) return;
  copy.reportedProblem = problem;
  problems.push_back(std::move(problem));
}

// Fetches and parses one subscription; returns its newest good calendar (null: none).
std::shared_ptr<const ParsedCalendar> fetchAndParse(ICalendarStoreShared& shared, SubscriptionCopy& copy,
                                                    const CalendarSource& source) {
  std::vector<std::string> problems;
  FetchResult fetched = shared.fetcher.fetch(source.location);
  std::string prefix = sourcePrefix(source);
  if (!fetched.body) {
    note(copy, prefix + fetched.error, problems);
  } else {
    std::size_t hash = std::hash<std::string>{}(*fetched.body) ^ fetched.body->size();
    if (copy.bodyHash != hash) {
      copy.bodyHash = hash;
      ParseResult parsed = parseCalendar(*fetched.body);
      appendParseProblems(parsed.problems, prefix, shared.options.read.maxProblemLinesPerFile, problems);
      copy.calendar = std::move(parsed.calendar);
      if (!copy.calendar) note(copy, prefix + "holds no calendar", problems);
    }
    if (copy.calendar) copy.reportedProblem.clear();
  }
  for (const std::string& problem : problems) shared.report(problem);
  return fetched.body ? copy.calendar : nullptr;
}

}  // namespace

void runSourceReader(ICalendarStoreShared& shared) {
  ReaderState state;
  for (;;) {
    std::optional<ICalendarStoreShared::AccessRound> round;
    {
      std::unique_lock lock(shared.mutex);
      // Until a start-up read is completed, a change waits for the completion, which reads
      // it too: the watcher reports one as it starts, and a single print would pay for it.
      auto due = [&] {
        return shared.stopping || !shared.rounds.empty() || (shared.rereadRequested && !state.completeAt);
      };
      if (state.completeAt) {
        shared.readerWake.wait_until(lock, *state.completeAt, due);  // then a reread completes it
      } else {
        shared.readerWake.wait(lock, due);
      }
      if (shared.stopping) return;
      shared.rereadRequested = false;  // a round reads everything anyway
      if (!shared.rounds.empty()) {
        round = std::move(shared.rounds.front());
        shared.rounds.pop_front();
      }
    }
    if (round) {
      answerAccessRound(shared, state, std::move(*round));
    } else {
      rereadPaths(shared, state);
    }
  }
}

void runSubscriptionFetcher(ICalendarStoreShared& shared) {
  std::map<std::string, SubscriptionCopy> copies;
  for (;;) {
    ICalendarStoreShared::FetchJob job;
    bool granted = false;
    {
      std::unique_lock lock(shared.mutex);
      shared.fetcherWake.wait(lock, [&] { return shared.stopping || !shared.fetches.empty(); });
      if (shared.stopping) return;
      job = std::move(shared.fetches.front());
      shared.fetches.pop_front();
      granted = shared.anyCalendar();
      shared.fetcherBusy = true;
    }
    if (job.answer) {
      shared.postAnswer(std::move(job.answer), granted);
      std::lock_guard lock(shared.mutex);
      shared.fetcherBusy = false;
      continue;
    }

    std::shared_ptr<const ParsedCalendar> calendar = fetchAndParse(shared, copies[job.source.location], job.source);
    StoreContent snapshot;
    std::uint64_t version = 0;
    std::optional<TimeReach> provisional;
    {
      std::lock_guard lock(shared.mutex);
      if (shared.stopping) return;
      shared.subscriptions[job.source.location].inFlight = false;
      for (StoreEntry& entry : shared.content) {
        if (calendar && entry.source == job.source && entry.calendar != calendar) {
          entry.calendar = calendar;
          version = ++shared.version;
        }
      }
      if (version != 0) {
        snapshot = shared.content;
        provisional = shared.provisional;
      }
    }
    if (version != 0) shared.postContent(std::move(snapshot), version, job.notify, provisional);
    std::lock_guard lock(shared.mutex);
    shared.fetcherBusy = false;
  }
}

}  // namespace CorlaMeetings
