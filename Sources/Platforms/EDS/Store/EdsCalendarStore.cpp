#include "EDS/Store/EdsCalendarStore.h"

#include <malloc.h>

#include <algorithm>
#include <utility>

#include "EDS/Client/EdsClientModule.h"
#include "EDS/Components/ComponentText.h"
#include "EDS/Store/EdsStoreCore.h"
#include "ICalendar/Text/ProblemLines.h"
#include "ICalendar/Threads/SerialWorker.h"
#include "ICalendar/Zones/TimeZoneResolver.h"

namespace CorlaMeetings {

EdsStoreCore::EdsStoreCore(RunLoop& runLoop, const Clock& clock, EdsCalendarStore::SourceListProvider sources,
                           EdsCalendarStoreOptions options)
    : runLoop_(runLoop),
      clock_(clock),
      sources_(std::move(sources)),
      options_(std::move(options)),
      worker_(options_.executor ? options_.executor() : std::make_unique<SerialWorker>()) {}

EdsStoreCore::~EdsStoreCore() {
  if (cancelRegistry_) cancelRegistry_();
  connections_.clear();
}

void EdsStoreCore::requestAccess(std::function<void(bool granted)> answer) {
  Round round;
  round.id = ++roundsMade_;
  round.answer = std::move(answer);
  round.deadline = runLoop_.runAfter(options_.accessWait, [weak = weak_from_this(), id = round.id] {
    auto self = weak.lock();
    if (!self) return;
    for (Round& waiting : self->rounds_) waiting.expired = waiting.expired || waiting.id == id;
    self->checkRounds();
  });
  rounds_.push_back(std::move(round));
  // The list may come from a file, and finding the default asks D-Bus: not on this thread.
  worker_->post([this, weak = weak_from_this()] {
    std::vector<std::string> wanted;
    for (const CalendarSource& source : sources_ ? sources_() : std::vector<CalendarSource>()) {
      if (source.kind == CalendarSource::Kind::desktop) wanted.push_back(source.location);
    }
    // Loading libecal reads dozens of libraries: here, so that the main thread finds it done.
    std::string ignored;
    if (!wanted.empty()) loadEdsClient(module(), ignored);
    runLoop_.postTask([weak, wanted = std::move(wanted)]() mutable {
      if (auto self = weak.lock()) self->sourcesRead(std::move(wanted));
    });
  });
}

void EdsStoreCore::sourcesRead(std::vector<std::string> wanted) {
  for (Round& round : rounds_) {
    if (round.sourcesRead) continue;
    round.sourcesRead = true;
    break;
  }
  wanted_ = std::move(wanted);
  if (wanted_.empty()) {
    while (!connections_.empty()) close(connections_.begin()->first);
  } else if (!registry_) {
    connectRegistry();
  }
  reconcile();
  checkRounds();
}

void EdsStoreCore::connectRegistry() {
  if (registryConnecting_) return;
  std::string error;
  EdsClient* client = loadEdsClient(module(), error);
  if (!client) {
    std::string problem = "eds: names calendars of Evolution Data Server, which Velto cannot read here: " + error;
    if (problem != reportedRegistryProblem_) report(problem);
    reportedRegistryProblem_ = problem;
    return;
  }
  registryConnecting_ = true;
  cancelRegistry_ = client->connectRegistry(
      [weak = weak_from_this()](std::unique_ptr<EdsRegistry> registry, std::string connectError) {
        if (auto self = weak.lock()) self->registryConnected(std::move(registry), connectError);
      });
}

void EdsStoreCore::registryConnected(std::unique_ptr<EdsRegistry> registry, const std::string& error) {
  registryConnecting_ = false;
  cancelRegistry_ = nullptr;
  if (!registry) {
    std::string problem = "Evolution Data Server is not reachable: " + error;
    if (problem != reportedRegistryProblem_) report(problem);
    reportedRegistryProblem_ = problem;
    checkRounds();
    return;
  }
  reportedRegistryProblem_.clear();
  registry_ = std::move(registry);
  registry_->setChangeHandler([this] { reconcile(); });
  reconcile();
  checkRounds();
}

void EdsStoreCore::reconcile() {
  if (!registry_) return;
  std::vector<DesktopCalendar> calendars = registry_->calendars();
  CalendarSelection selection = selectCalendars(calendars, wanted_);
  std::erase_if(reportedUnmatched_, [&](const std::string& name) {
    return std::find(selection.unmatched.begin(), selection.unmatched.end(), name) == selection.unmatched.end();
  });
  for (const std::string& name : selection.unmatched) {
    if (reportedUnmatched_.insert(name).second) {
      report("calendar eds:" + name + ": Evolution Data Server has no enabled calendar of that name or UID");
    }
  }
  std::vector<std::string> gone;
  for (const auto& [uid, connection] : connections_) {
    if (std::find(selection.uids.begin(), selection.uids.end(), uid) == selection.uids.end()) gone.push_back(uid);
  }
  for (const std::string& uid : gone) close(uid);
  for (const std::string& uid : selection.uids) {
    if (connections_.contains(uid)) continue;
    auto named =
        std::find_if(calendars.begin(), calendars.end(), [&](const DesktopCalendar& c) { return c.uid == uid; });
    auto connection = registry_->follow(uid, "eds:" + named->name, runLoop_, *this, options_.connection);
    if (!connection) continue;
    connections_.emplace(uid, connection);
    if (!range_) range_ = viewRangeAt(clock_.now());
    connection->start(viewQuery(*range_));
  }
  checkRounds();
}

void EdsStoreCore::close(const std::string& uid) {
  connections_.erase(uid);
  if (calendars_.erase(uid) > 0) {
    ++version_;
    contentChanged();
  }
  worker_->post([this, uid] { collections_.erase(uid); });
}

void EdsStoreCore::componentsChanged(const std::string& calendar, std::vector<ComponentChange> changes) {
  auto connection = connections_.find(calendar);
  if (connection == connections_.end()) return;
  worker_->post([this, weak = weak_from_this(), calendar, name = connection->second->name(),
                changes = std::move(changes)]() mutable {
    ComponentCollection& collection = collections_[calendar];
    bool loaded = false;
    for (ComponentChange& change : changes) {
      loaded = loaded || change.kind == ComponentChange::Kind::endLoad;
      collection.apply(std::move(change));
    }
    if (collection.loading() || !collection.changed()) return;
    std::shared_ptr<const ParsedCalendar> parsed = collection.calendar();
    // A load parses thousands of events here, and libecal made as many components on the
    // main thread: hand the freed memory back, or the tray keeps it for its whole life.
    if (loaded) malloc_trim(0);
    for (const std::string& problem : collection.takeProblems()) report("calendar " + name + ": " + problem);
    runLoop_.postTask([weak, calendar, parsed = std::move(parsed)]() mutable {
      if (auto self = weak.lock()) self->calendarParsed(calendar, std::move(parsed));
    });
  });
}

void EdsStoreCore::calendarParsed(const std::string& uid, std::shared_ptr<const ParsedCalendar> calendar) {
  if (!connections_.contains(uid)) return;  // closed meanwhile
  calendars_[uid] = std::move(calendar);
  ++version_;
  contentChanged();
}

void EdsStoreCore::contentChanged() {
  // An access answer on its way starts a refresh that sees this change anyway.
  if (!rounds_.empty()) return;
  notification_ = runLoop_.runAfter(options_.changeQuiet, [weak = weak_from_this()] {
    auto self = weak.lock();
    if (!self || !self->observer_) return;
    std::function<void()> observer = self->observer_;  // it may replace itself
    observer();
  });
}

void EdsStoreCore::calendarSettled(const std::string&) { checkRounds(); }

void EdsStoreCore::checkRounds() {
  if (rounds_.empty()) return;
  Round& round = rounds_.front();
  if (!round.sourcesRead || round.closing) return;
  bool allSettled =
      std::all_of(connections_.begin(), connections_.end(), [](const auto& entry) { return entry.second->settled(); });
  bool ready = round.expired || wanted_.empty() || (!registryConnecting_ && (!registry_ || allSettled));
  if (!ready) return;
  round.closing = true;
  // Behind every change already handed to the worker, so that the answer's refresh sees
  // what the loads brought.
  worker_->post([this, weak = weak_from_this()] {
    runLoop_.postTask([weak] {
      if (auto self = weak.lock()) self->answerRound();
    });
  });
}

void EdsStoreCore::answerRound() {
  if (rounds_.empty()) return;
  Round round = std::move(rounds_.front());
  rounds_.pop_front();
  if (rounds_.empty()) notification_.reset();
  bool granted = registry_ && !wanted_.empty() && !connections_.empty();
  round.answer(granted);
  checkRounds();
}

std::vector<std::shared_ptr<const CalendarEvent>> EdsStoreCore::events(Instant start, Instant end) {
  if (range_ && wantsNewRange(*range_, start, end)) {
    range_ = viewRangeFor(start, end);
    for (const auto& [uid, connection] : connections_) connection->start(viewQuery(*range_));
  }
  return answers_.answer(version_, start, end, [&] {
    std::vector<std::shared_ptr<const CalendarEvent>> all;
    for (const auto& [uid, calendar] : calendars_) {
      if (!calendar) continue;
      std::vector<std::shared_ptr<const CalendarEvent>> found = calendar->occurrences(start, end);
      all.insert(all.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
    }
    return all;
  });
}

void EdsStoreCore::report(const std::string& line) {
  std::lock_guard lock(reportMutex_);
  reportProblemLine(line, options_.problems);
}

std::string EdsStoreCore::module() const {
  return options_.module.empty() ? installedEdsClientModule() : options_.module;
}

std::vector<std::string> EdsStoreCore::unknownZones(std::string_view componentText) {
  std::vector<std::string> unknown = referencedTimeZones(componentText);
  std::erase_if(unknown, [](const std::string& tzid) { return TimeZoneResolver::knowsByName(tzid); });
  return unknown;
}

EdsCalendarStore::EdsCalendarStore(RunLoop& runLoop, const Clock& clock, SourceListProvider sources,
                                   EdsCalendarStoreOptions options)
    : core_(std::make_shared<EdsStoreCore>(runLoop, clock, std::move(sources), std::move(options))) {}

EdsCalendarStore::~EdsCalendarStore() = default;

void EdsCalendarStore::requestAccess(std::function<void(bool granted)> answer) {
  core_->requestAccess(std::move(answer));
}

std::vector<std::shared_ptr<const CalendarEvent>> EdsCalendarStore::events(Instant start, Instant end) {
  return core_->events(start, end);
}

void EdsCalendarStore::setChangeObserver(std::function<void()> observer) {
  core_->setChangeObserver(std::move(observer));
}

}  // namespace CorlaMeetings
