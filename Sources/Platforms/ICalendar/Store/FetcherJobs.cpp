// The store's fetcher jobs: they fetch subscriptions one at a time, and send access answers
// queued behind a round's fetches. They fetch and parse without the lock, then publish under
// it and post the result to the main thread.

#include <functional>
#include <utility>

#include "ICalendar/Parsing/CalendarParser.h"
#include "ICalendar/Store/ICalendarStoreState.h"
#include "ICalendar/Text/ProblemLines.h"

namespace CorlaMeetings {

namespace {

using SubscriptionCopy = ICalendarStoreShared::SubscriptionCopy;

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

void fetch(ICalendarStoreShared& shared, ICalendarStoreShared::FetchJob job) {
  bool granted = false;
  {
    std::lock_guard lock(shared.mutex);
    if (shared.stopping) return;
    granted = shared.anyCalendar();
  }
  auto done = [&shared] {
    std::lock_guard lock(shared.mutex);
    --shared.fetcherJobs;
  };
  if (job.answer) {
    shared.postAnswer(std::move(job.answer), granted);
    done();
    return;
  }

  std::shared_ptr<const ParsedCalendar> calendar =
      fetchAndParse(shared, shared.copies[job.source.location], job.source);
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
  done();
}

}  // namespace CorlaMeetings
