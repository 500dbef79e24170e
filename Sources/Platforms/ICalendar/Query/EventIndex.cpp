#include "ICalendar/Query/EventIndex.h"

#include <algorithm>

#include "ICalendar/Parsing/ParseLimits.h"
#include "ICalendar/Query/Occurrence.h"
#include "ICalendar/Records/SingleEvent.h"

namespace CorlaMeetings {

using namespace std::chrono;

namespace {

// How far a wall-clock time can be from the same digits read as UTC: the widest zone offsets
// are -12 and +14 hours.
constexpr hours kWidestOffset{26};

std::optional<std::string> identifierOf(const SingleEvent& event, const EventTimeZone& localZone) {
  const auto& uid = event.event->eventIdentifier;
  if (!uid || !event.recurrenceId) return uid;
  const EventTimeZone& zone = event.recurrenceId->zone ? *event.recurrenceId->zone : localZone;
  return occurrenceIdentifier(*uid, zone.instantAt(event.recurrenceId->local));
}

}  // namespace

EventIndex::EventIndex(std::vector<SingleEvent> events) {
  const EventTimeZone& anyZone = EventTimeZone::utc();  // never used for fixed events
  for (auto& event : events) {
    const bool fixed = event.start.zone && (!event.recurrenceId || event.recurrenceId->zone);
    const bool isLong = event.length.longest() > ParseLimits::kLongEvent;
    if (fixed) {
      const Instant start = event.start.zone->instantAt(event.start.local);
      const Instant end = endOfOccurrence(start, event.start.local, event.length, *event.start.zone);
      // The record's own event becomes the occurrence: no copy of its texts.
      std::optional<std::string> identifier = identifierOf(event, anyZone);
      event.event->startDate = start;
      event.event->endDate = end;
      event.event->eventIdentifier = std::move(identifier);
      Fixed entry{start, end, std::move(event.event)};
      if (isLong) {
        longFixed_.push_back(std::move(entry));
      } else {
        longestFixed_ = std::max(longestFixed_, end - start);
        fixed_.push_back(std::move(entry));
      }
    } else if (isLong) {
      longFloating_.push_back(std::move(event));
    } else {
      longestFloating_ = std::max(longestFloating_, event.length.longest());
      floating_.push_back(std::move(event));
    }
  }
  // Stable: events at the same time keep the order of the text, whatever else it holds.
  std::stable_sort(fixed_.begin(), fixed_.end(), [](const Fixed& a, const Fixed& b) { return a.start < b.start; });
  std::stable_sort(floating_.begin(), floating_.end(),
                   [](const SingleEvent& a, const SingleEvent& b) { return a.start.local < b.start.local; });
}

EventIndex::EventIndex(const std::vector<const EventIndex*>& parts) {
  for (const EventIndex* part : parts) {
    fixed_.insert(fixed_.end(), part->fixed_.begin(), part->fixed_.end());
    longFixed_.insert(longFixed_.end(), part->longFixed_.begin(), part->longFixed_.end());
    longestFixed_ = std::max(longestFixed_, part->longestFixed_);
    floating_.insert(floating_.end(), part->floating_.begin(), part->floating_.end());
    longFloating_.insert(longFloating_.end(), part->longFloating_.begin(), part->longFloating_.end());
    longestFloating_ = std::max(longestFloating_, part->longestFloating_);
  }
  std::stable_sort(fixed_.begin(), fixed_.end(), [](const Fixed& a, const Fixed& b) { return a.start < b.start; });
  std::stable_sort(floating_.begin(), floating_.end(),
                   [](const SingleEvent& a, const SingleEvent& b) { return a.start.local < b.start.local; });
}

void EventIndex::collect(OccurrenceQuery& query) const {
  // Fixed: everything starting in [window start - longest, window end).
  auto first = std::lower_bound(fixed_.begin(), fixed_.end(), query.start() - longestFixed_,
                                [](const Fixed& entry, Instant t) { return entry.start < t; });
  for (auto it = first; it != fixed_.end() && it->start < query.end(); ++it) {
    if (query.overlaps(it->start, it->end)) query.add(it->event);
  }
  for (const auto& entry : longFixed_) {
    if (query.overlaps(entry.start, entry.end)) query.add(entry.event);
  }

  // Floating: the same with the window widened by any zone offset, then placed exactly.
  if (floating_.empty() && longFloating_.empty()) return;
  const LocalSeconds low(floor<seconds>(query.start().time_since_epoch()) - kWidestOffset - longestFloating_);
  const LocalSeconds high(ceil<seconds>(query.end().time_since_epoch()) + kWidestOffset);
  auto firstFloating = std::lower_bound(floating_.begin(), floating_.end(), low,
                                        [](const SingleEvent& event, LocalSeconds t) { return event.start.local < t; });
  for (auto it = firstFloating; it != floating_.end() && it->start.local < high; ++it) collectFloating(*it, query);
  for (const auto& event : longFloating_) collectFloating(event, query);
}

void EventIndex::collectFloating(const SingleEvent& event, OccurrenceQuery& query) {
  const EventTimeZone& zone = event.start.zone ? *event.start.zone : query.localZone();
  const Instant start = zone.instantAt(event.start.local);
  const Instant end = endOfOccurrence(start, event.start.local, event.length, zone);
  if (query.overlaps(start, end))
    query.add(occurrenceOf(*event.event, start, end, identifierOf(event, query.localZone())));
}

}  // namespace CorlaMeetings
