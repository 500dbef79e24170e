// The store's fetcher thread: fetches subscriptions one at a time, and sends access answers
// queued behind a round's fetches. It fetches and parses without the lock, then publishes
// under it and posts the result to the main thread.

#include <functional>
#include <utility>

#include "ICalendar/Parsing/CalendarParser.h"
#include "ICalendar/Store/ICalendarStoreState.h"
#include "ICalendar/Text/ProblemLines.h"

namespace CorlaMeetings {

namespace {

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
  std::string prefix = problemPrefix(source);
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
