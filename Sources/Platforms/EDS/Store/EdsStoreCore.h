#pragma once

// The inside of EdsCalendarStore. Not for use elsewhere.

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "EDS/Client/EdsClient.h"
#include "EDS/Components/ComponentCollection.h"
#include "EDS/Store/EdsCalendarStore.h"
#include "EDS/Store/ViewRange.h"
#include "ICalendar/Query/OccurrenceCache.h"

namespace CorlaMeetings {

class EdsStoreCore : public std::enable_shared_from_this<EdsStoreCore>, public EdsCalendarConnection::Listener {
 public:
  EdsStoreCore(RunLoop& runLoop, const Clock& clock, EdsCalendarStore::SourceListProvider sources,
               EdsCalendarStoreOptions options);
  ~EdsStoreCore() override;

  void requestAccess(std::function<void(bool granted)> answer);
  std::vector<std::shared_ptr<const CalendarEvent>> events(Instant start, Instant end);
  void setChangeObserver(std::function<void()> observer) { observer_ = std::move(observer); }

  void componentsChanged(const std::string& calendar, std::vector<ComponentChange> changes) override;
  void calendarSettled(const std::string& calendar) override;
  void report(const std::string& line) override;
  std::vector<std::string> unknownZones(std::string_view componentText) override;

 private:
  struct Round {
    std::uint64_t id = 0;
    std::function<void(bool)> answer;
    bool sourcesRead = false;
    bool expired = false;
    bool closing = false;  // its answer is on its way through the worker
    std::unique_ptr<DelayedWork> deadline;
  };

  std::string module() const;
  void sourcesRead(std::vector<std::string> wanted);
  void connectRegistry();
  void registryConnected(std::unique_ptr<EdsRegistry> registry, const std::string& error);
  void reconcile();
  void close(const std::string& uid);
  void calendarParsed(const std::string& uid, std::shared_ptr<const ParsedCalendar> calendar);
  void contentChanged();
  void checkRounds();
  void answerRound();

  RunLoop& runLoop_;
  const Clock& clock_;
  const EdsCalendarStore::SourceListProvider sources_;
  const EdsCalendarStoreOptions options_;
  std::function<void()> observer_;

  // The worker's own: each calendar's components, by source UID.
  std::map<std::string, ComponentCollection> collections_;
  std::mutex reportMutex_;

  std::vector<std::string> wanted_;  // the desktop entries of the source list
  std::unique_ptr<EdsRegistry> registry_;
  std::function<void()> cancelRegistry_;
  bool registryConnecting_ = false;
  std::string reportedRegistryProblem_;
  std::set<std::string> reportedUnmatched_;
  std::map<std::string, std::shared_ptr<EdsCalendarConnection>> connections_;  // by source UID
  std::optional<ViewRange> range_;  // what the connections follow; set by the first one
  std::map<std::string, std::shared_ptr<const ParsedCalendar>> calendars_;
  std::uint64_t version_ = 0;  // of calendars_
  OccurrenceCache answers_;
  std::deque<Round> rounds_;
  std::uint64_t roundsMade_ = 0;
  std::unique_ptr<DelayedWork> notification_;

  // Last: it stops first, while everything its jobs touch still exists.
  std::unique_ptr<Executor> worker_;
};

}  // namespace CorlaMeetings
