#include "EDS/Components/ComponentCollection.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "EDS/Components/ComponentText.h"
#include "ICalendar/Parsing/CalendarParser.h"
#include "ICalendar/Parsing/ParseLimits.h"
#include "ICalendar/Query/MergedCalendar.h"

namespace CorlaMeetings {

namespace {

// A calendar full of broken events would otherwise fill the terminal.
constexpr std::size_t kMaxProblemsPerParse = 5;

}  // namespace

void ComponentCollection::beginLoad() { loading_.emplace(); }

void ComponentCollection::endLoad(bool keep) {
  if (!loading_) return;
  if (keep) {
    current_ = std::move(*loading_);
    changed_ = true;
    reportedFull_ = false;
  }
  loading_.reset();
}

void ComponentCollection::put(const std::string& uid, const std::string& rid, std::string text) {
  Set& set = target();
  Event& event = set.events[uid];
  auto existing = event.components.find(rid);
  std::size_t oldBytes = existing == event.components.end() ? 0 : existing->second.size();
  bool replacesPlain = rid.empty() && event.plain;
  bool added = existing == event.components.end() && !replacesPlain;
  if ((added && set.components >= kMaxComponents) ||
      set.bytes - oldBytes + text.size() > ParseLimits::kMaxCalendarBytes) {
    if (!reportedFull_)
      note("calendar too large: events beyond " + std::to_string(kMaxComponents) + " or 64 MiB are left out");
    reportedFull_ = true;
    if (event.members() == 0) set.events.erase(uid);
    return;
  }
  set.bytes = set.bytes - oldBytes + text.size();
  set.components += added;
  if (replacesPlain) event.plain = nullptr;
  event.components[rid] = std::move(text);
  event.parsed = nullptr;
  changed_ = changed_ || !loading_;
}

void ComponentCollection::remove(const std::string& uid, const std::string& rid) {
  Set& set = target();
  auto found = set.events.find(uid);
  if (found == set.events.end()) return;
  Event& event = found->second;
  if (rid.empty()) {
    // The service reports a whole series removed as its master alone.
    for (const auto& [id, text] : event.components) set.bytes -= text.size();
    set.components -= event.members();
    set.events.erase(found);
  } else {
    auto component = event.components.find(rid);
    if (component == event.components.end()) return;
    set.bytes -= component->second.size();
    set.components -= 1;
    event.components.erase(component);
    event.parsed = nullptr;
    if (event.members() == 0) set.events.erase(found);
  }
  changed_ = changed_ || !loading_;
}

void ComponentCollection::apply(ComponentChange change) {
  switch (change.kind) {
    case ComponentChange::Kind::beginLoad: return beginLoad();
    case ComponentChange::Kind::endLoad: return endLoad(change.keep);
    case ComponentChange::Kind::put: return put(change.uid, change.rid, std::move(change.text));
    case ComponentChange::Kind::remove: return remove(change.uid, change.rid);
    case ComponentChange::Kind::defineZone: return defineZone(change.uid, std::move(change.text));
  }
}

void ComponentCollection::defineZone(const std::string& tzid, std::string text) {
  if (zones_.size() < 256 && text.size() <= ParseLimits::kMaxTimeZoneBytes) zones_[tzid] = std::move(text);
}

void ComponentCollection::parse(Set& set, Event& event) {
  std::vector<const std::string*> components;
  std::vector<const std::string*> zones;
  for (const auto& [rid, text] : event.components) {
    components.push_back(&text);
    for (const std::string& tzid : referencedTimeZones(text)) {
      auto zone = zones_.find(tzid);
      if (zone != zones_.end() && std::find(zones.begin(), zones.end(), &zone->second) == zones.end()) {
        zones.push_back(&zone->second);
      }
    }
  }
  ParseResult result = parseCalendar(calendarTextOf(zones, components));
  event.parsed = std::move(result.calendar);
  for (std::size_t i = 0; i < result.problems.size() && i < kMaxProblemsPerParse; ++i) {
    note(std::move(result.problems[i]));
  }
  auto only = event.components.begin();
  if (event.components.size() == 1 && only->first.empty() && !event.plain && !recurs(only->second)) {
    set.bytes -= only->second.size();
    event.plain = std::move(event.parsed);
    event.components.clear();
  }
}

std::shared_ptr<const ParsedCalendar> ComponentCollection::calendar() {
  if (!changed_ && merged_) return merged_;
  std::vector<std::shared_ptr<const ParsedCalendar>> parts;
  parts.reserve(current_.events.size());
  for (auto& entry : current_.events) {
    Event& event = entry.second;
    if (!event.parsed && !event.components.empty()) parse(current_, event);
    if (event.parsed) parts.push_back(event.parsed);
    if (event.plain) parts.push_back(event.plain);
  }
  merged_ = mergeCalendars(std::move(parts));
  changed_ = false;
  return merged_;
}

std::vector<std::string> ComponentCollection::takeProblems() { return std::exchange(problems_, {}); }

void ComponentCollection::note(std::string line) {
  if (problems_.size() < ParseLimits::kMaxProblems) problems_.push_back(std::move(line));
}

}  // namespace CorlaMeetings
