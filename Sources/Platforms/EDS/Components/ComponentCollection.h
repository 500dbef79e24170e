#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "EDS/Components/ComponentChange.h"
#include "ICalendar/Query/ParsedCalendar.h"

namespace CorlaMeetings {

// One calendar of the desktop's calendar service, as its components come and go. Each event
// (a UID with its detached occurrences, by RECURRENCE-ID) is parsed on its own as a small
// calendar, with the zone definitions it refers to, by the iCalendar parser: a change
// re-reads only its own event, and a bad component costs only its own event. The calendar
// handed out merges them all.
//
// A plain event (no RRULE, RDATE or RECURRENCE-ID) alone under its UID keeps only its
// parsed form, not its text: nothing can join it, and most events are such. Should a
// detached occurrence come for one anyway, the two are shown side by side.
//
// A load (a view's first delivery) fills a set of its own that replaces the current one
// only when it ends well, so the last events stay while the service restarts or a backend
// fails. Components are strangers' text: beyond kMaxComponents or ParseLimits'
// kMaxCalendarBytes in all, more are dropped and noted. Not thread-safe; one thread owns it.
class ComponentCollection {
 public:
  static constexpr std::size_t kMaxComponents = 100'000;

  void beginLoad();
  // `keep`: the loaded set replaces the current one; otherwise it is thrown away.
  void endLoad(bool keep);
  bool loading() const { return loading_.has_value(); }

  // The component of `uid` with the RECURRENCE-ID `rid` ("" for the event itself), added or
  // replaced; removed (the event itself with its detached occurrences).
  void put(const std::string& uid, const std::string& rid, std::string text);
  void remove(const std::string& uid, const std::string& rid);
  // A VTIMEZONE for components that name `tzid`; taken by components put afterwards.
  void defineZone(const std::string& tzid, std::string text);

  void apply(ComponentChange change);

  // The current set, merged. Parses what changed since the last call.
  std::shared_ptr<const ParsedCalendar> calendar();
  // Whether the current set changed since the last call of calendar().
  bool changed() const { return changed_; }

  // What was dropped or could not be read since the last call, one line each.
  std::vector<std::string> takeProblems();

 private:
  struct Event {
    std::map<std::string, std::string> components;  // by RECURRENCE-ID
    std::shared_ptr<const ParsedCalendar> parsed;   // of `components`; null until parsed
    std::shared_ptr<const ParsedCalendar> plain;    // a plain event's, its text gone

    std::size_t members() const { return components.size() + (plain ? 1 : 0); }
  };
  struct Set {
    std::map<std::string, Event> events;  // by UID
    std::size_t components = 0;
    std::size_t bytes = 0;
  };

  Set& target() { return loading_ ? *loading_ : current_; }
  void parse(Set& set, Event& event);
  void note(std::string line);

  Set current_;
  std::optional<Set> loading_;
  std::map<std::string, std::string> zones_;
  std::shared_ptr<const ParsedCalendar> merged_;
  bool changed_ = false;
  std::vector<std::string> problems_;
  bool reportedFull_ = false;
};

}  // namespace CorlaMeetings
