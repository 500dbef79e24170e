#include "ICalendar/Parsing/CalendarBuilder.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <tuple>

#include "ICalendar/Libical/LibicalLock.h"
#include "ICalendar/Parsing/ParseLimits.h"
#include "ICalendar/Records/SingleEvent.h"
#include "ICalendar/Text/ProblemLines.h"
#include "ICalendar/Text/Utf8Text.h"

namespace CorlaMeetings {

using namespace std::chrono;

namespace {

// Lengths beyond a century are someone's typo; capping them keeps the arithmetic safe.
constexpr days kLongestLength{36525};

EventLength capped(EventLength length) {
  length.days = std::clamp(length.days, 0, static_cast<int>(kLongestLength.count()));
  length.exact = std::clamp(length.exact, seconds(0), duration_cast<seconds>(kLongestLength));
  return length;
}

std::optional<std::string> validText(std::optional<std::string>&& text) {
  if (!text) return std::nullopt;
  return validUtf8(std::move(*text));
}

// Takes the texts over rather than copying them: a heavy calendar holds tens of MB of
// invites, which would otherwise be in memory twice. The UID stays, for notes.
std::shared_ptr<CalendarEvent> prototypeOf(WrittenEvent& written) {
  auto event = std::make_shared<CalendarEvent>();
  event->eventIdentifier = validText(std::optional<std::string>(written.uid));
  event->title = validText(std::move(written.summary));
  event->location = validText(std::move(written.location));
  event->notes = validText(std::move(written.description));
  event->URL = validText(std::move(written.url));
  event->isAllDay = written.start.isDate;
  return event;
}

template <typename T>
void sortUnique(std::vector<T>& values) {
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
}

// Overrides are told apart by UID and the RECURRENCE-ID as written.
using OverrideKey = std::tuple<std::string, LocalSeconds, std::string, bool, bool>;

OverrideKey overrideKey(const WrittenEvent& event) {
  const WrittenTime& id = *event.recurrenceId;
  return {*event.uid, id.local, id.tzid, id.isUtc, id.isDate};
}

}  // namespace

CalendarBuilder::CalendarBuilder() : countingBudget_(ParseLimits::kMaxCountingStepsPerCalendar) {}

std::shared_ptr<const EventCalendar> CalendarBuilder::build(TimeZoneResolver& zones,
                                                            std::vector<std::string>& problems) {
  zones_ = &zones;
  problems_ = &problems;
  // The overrides of each UID, one per RECURRENCE-ID: the highest SEQUENCE, then the last.
  std::map<OverrideKey, WrittenEvent*> overrides;
  // Everything else stands on its own: plain events, series, and RECURRENCE-IDs without
  // a UID to pair them by.
  std::map<std::string, std::vector<const WrittenEvent*>> mastersByUid;
  std::vector<WrittenEvent*> standalone;
  for (auto& event : events_) {
    if (!event.recurrenceId || !event.uid) {
      if (!event.recurrenceId && event.uid) mastersByUid[*event.uid].push_back(&event);
      standalone.push_back(&event);
      continue;
    }
    auto& kept = overrides[overrideKey(event)];
    if (!kept || event.sequence >= kept->sequence) kept = &event;
  }
  std::map<std::string, std::vector<WrittenEvent*>> overridesByUid;
  for (const auto& [key, event] : overrides) overridesByUid[std::get<0>(key)].push_back(event);

  // A file may hold an event and, after it, its later version (a higher SEQUENCE, the same
  // UID) in full: only the latest counts. Versions alike in SEQUENCE may be distinct events
  // of a producer that repeats its UIDs, and all stay.
  std::set<const WrittenEvent*> superseded;
  for (const auto& [uid, versions] : mastersByUid) {
    if (versions.size() < 2) continue;
    const auto latest = std::max_element(versions.begin(), versions.end(),
                                         [](const auto* a, const auto* b) { return a->sequence < b->sequence; });
    for (const WrittenEvent* version : versions) {
      if (version->sequence < (*latest)->sequence) superseded.insert(version);
    }
  }

  std::vector<SingleEvent> singleEvents;
  std::vector<Series> series;
  std::size_t count = 0;
  for (WrittenEvent* event : standalone) {
    if (superseded.contains(event)) continue;
    ++count;
    const std::vector<WrittenEvent*>* itsOverrides = nullptr;
    if (!event->recurrenceId && event->uid) {
      if (const auto found = overridesByUid.find(*event->uid); found != overridesByUid.end()) {
        itsOverrides = &found->second;
      }
    }
    if (!event->rules.empty() || !event->recurrenceDates.empty() || itsOverrides) {
      series.push_back(makeSeries(*event, itsOverrides ? *itsOverrides : std::vector<WrittenEvent*>{}));
    } else {
      singleEvents.push_back(makeSingle(*event, false));
    }
  }
  for (const auto& [uid, itsOverrides] : overridesByUid) {
    // An override whose series is not in this text still shows, under its own identity;
    // one that brings its own RRULE or RDATEs (Lotus Notes sends such) as the series it
    // describes.
    const bool orphan = !mastersByUid.contains(uid);
    if (orphan) count += itsOverrides.size();
    for (WrittenEvent* event : itsOverrides) {
      if (orphan && (!event->rules.empty() || !event->recurrenceDates.empty())) {
        series.push_back(makeSeries(*event, {}));
      } else {
        singleEvents.push_back(makeSingle(*event, true));
      }
    }
  }
  // Read out: the records are all that is kept, and they go before the index is made.
  events_.clear();
  events_.shrink_to_fit();
  return std::make_shared<const EventCalendar>(EventIndex(std::move(singleEvents)), std::move(series), zones_->zones(),
                                               count);
}

ZonedTime CalendarBuilder::place(const WrittenTime& time) {
  if (time.isDate) return {time.local, nullptr};
  if (time.isUtc) return {time.local, &EventTimeZone::utc()};
  if (!time.tzid.empty()) return {time.local, zones_->resolve(time.tzid)};
  return {time.local, nullptr};
}

const EventTimeZone& CalendarBuilder::zoneOrLocal(const EventTimeZone* zone) {
  if (zone) return *zone;
  if (!localZone_) localZone_ = EventTimeZone::current();
  return *localZone_;
}

LocalSeconds CalendarBuilder::onClockOf(const ZonedTime& time, const EventTimeZone* zone) {
  if (time.zone == zone) return time.local;
  return zoneOrLocal(zone).localAt(zoneOrLocal(time.zone).instantAt(time.local));
}

EventLength CalendarBuilder::lengthOf(const WrittenEvent& event, const ZonedTime& start) {
  if (event.start.isDate) {
    if (event.end) {
      const int days = static_cast<int>(
          (floor<std::chrono::days>(event.end->local) - floor<std::chrono::days>(event.start.local)).count());
      if (days < 0) note(event, "ends before it starts; read as one day");
      return capped({std::max(days, 1), seconds(0)});
    }
    if (event.duration) {
      if (event.duration->negative) {
        note(event, "has a negative DURATION; read as one day");
        return {1, seconds(0)};
      }
      const EventLength length = capped({event.duration->days, event.duration->exact});
      return length.days == 0 && length.exact == seconds(0) ? EventLength{1, seconds(0)} : length;
    }
    return {1, seconds(0)};
  }
  if (event.end) {
    const ZonedTime end = event.end->isDate ? ZonedTime{event.end->local, start.zone} : place(*event.end);
    auto exact =
        floor<seconds>(zoneOrLocal(end.zone).instantAt(end.local) - zoneOrLocal(start.zone).instantAt(start.local));
    if (exact < seconds(0)) {
      note(event, "ends before it starts; read as no length");
      exact = seconds(0);
    }
    return capped({0, exact});
  }
  if (event.duration) {
    if (event.duration->negative) {
      note(event, "has a negative DURATION; read as no length");
      return {};
    }
    return capped({event.duration->days, event.duration->exact});
  }
  return {};
}

EventLength CalendarBuilder::periodLength(const WrittenRecurrenceDate& date, const ZonedTime& start,
                                          const WrittenEvent& event) {
  if (date.duration)
    return date.duration->negative ? EventLength{} : capped({date.duration->days, date.duration->exact});
  const ZonedTime end = place(*date.end);
  const auto exact =
      floor<seconds>(zoneOrLocal(end.zone).instantAt(end.local) - zoneOrLocal(start.zone).instantAt(start.local));
  if (exact < seconds(0)) note(event, "has an RDATE period that ends before it starts");
  return capped({0, std::max(exact, seconds(0))});
}

// In an all-day series a time names the day it is written on, whatever its zone: Apple
// and Exchange write the RECURRENCE-ID of an all-day occurrence as midnight in their zone,
// which in a zone west of theirs is still the day before.
LocalSeconds CalendarBuilder::onSeriesClock(const WrittenTime& time, const Series& series) {
  if (series.event->isAllDay) return floor<days>(time.local);
  return onClockOf(place(time), series.start.zone);
}

void CalendarBuilder::exclude(Series& series, const WrittenTime& time) {
  // A date names a whole day of a timed series.
  if (time.isDate && !series.event->isAllDay) {
    series.excludedDays.push_back(floor<days>(time.local));
    return;
  }
  series.excluded.push_back(onSeriesClock(time, series));
}

std::optional<SeriesRule> CalendarBuilder::seriesRule(const WrittenRule& rule, const Series& series,
                                                      const WrittenEvent& event) {
  SeriesRule result{rule.text, rule.frequency, rule.interval, std::nullopt, rule.days};
  if (rule.until) {
    const WrittenTime& until = *rule.until;
    if (until.isDate) {
      // A date bounds a timed series at the end of that day.
      result.until = event.start.isDate ? until.local : until.local + days(1) - seconds(1);
    } else if (until.isUtc) {
      result.until = zoneOrLocal(series.start.zone).localAt(Instant(microseconds(until.local.time_since_epoch())));
    } else {
      result.until = until.local;
    }
  }
  if (rule.count > 0) {
    bool cut = false;
    std::optional<LocalSeconds> last;
    {
      std::lock_guard<std::mutex> lock(libicalMutex());
      last = lastCountedStart(rule, series.start.local, countingBudget_, cut);
    }
    if (cut) note(event, "repeats too often; its series is cut short");
    if (!last) return std::nullopt;
    result.until = result.until ? std::min(*result.until, *last) : *last;
  }
  return result;
}

Series CalendarBuilder::makeSeries(WrittenEvent& master, const std::vector<WrittenEvent*>& overrides) {
  Series series;
  series.start = place(master.start);
  series.length = lengthOf(master, series.start);
  series.event = prototypeOf(master);
  const bool allDay = master.start.isDate;

  for (const auto& rule : master.rules) {
    if (auto placed = seriesRule(rule, series, master)) series.rules.push_back(std::move(*placed));
  }
  for (const auto& date : master.recurrenceDates) {
    RecurrenceDate placed;
    if (date.start.isDate && !allDay) {
      // A date in a timed series takes DTSTART's time of day.
      placed.start = date.start.local + (series.start.local - floor<days>(series.start.local));
    } else {
      placed.start = onSeriesClock(date.start, series);
    }
    if (date.end || date.duration) placed.length = periodLength(date, place(date.start), master);
    series.dates.push_back(placed);
  }
  std::sort(series.dates.begin(), series.dates.end());
  for (const auto& date : master.exceptionDates) exclude(series, date);
  for (const WrittenEvent* event : overrides) {
    exclude(series, *event->recurrenceId);
    if (event->thisAndFuture) series.changes.push_back(changeFrom(*event, series));
  }
  sortUnique(series.excluded);
  std::stable_sort(series.changes.begin(), series.changes.end());
  sortUnique(series.excludedDays);

  series.firstStart = series.start.local;
  series.lastStart = series.start.local;
  series.longest = series.length.longest();
  for (const auto& rule : series.rules) {
    series.lastStart = rule.until ? std::max(series.lastStart, *rule.until) : LocalSeconds::max();
    if (!rule.until) break;
  }
  for (const auto& date : series.dates) {
    series.firstStart = std::min(series.firstStart, date.start);
    if (series.lastStart != LocalSeconds::max()) series.lastStart = std::max(series.lastStart, date.start);
    if (date.length) series.longest = std::max(series.longest, date.length->longest());
  }
  for (const auto& change : series.changes) {
    series.longest = std::max(series.longest, change.length.longest());
    series.earliestShift = std::min(series.earliestShift, change.shift);
    series.latestShift = std::max(series.latestShift, change.shift);
  }
  if (observer_) observer_->madeSeries(master, series);
  return series;
}

// How the occurrences after `override`'s own change: moved as it moved its own (on the
// series' clock, so a 09:00 meeting moved to 10:00 stays at 10:00 across a clock change),
// its length, its texts. The texts are copied: the override keeps its own for its
// occurrence.
SeriesChange CalendarBuilder::changeFrom(const WrittenEvent& override, const Series& series) {
  SeriesChange change;
  const LocalSeconds from = onSeriesClock(*override.recurrenceId, series);
  const ZonedTime start = place(override.start);
  const LocalSeconds movedTo = onSeriesClock(override.start, series);
  change.from = from;
  const auto farthest = duration_cast<seconds>(kLongestLength);
  change.shift = std::clamp(movedTo - from, -farthest, farthest);
  change.length = lengthOf(override, start);
  WrittenEvent copy = override;
  change.event = prototypeOf(copy);
  return change;
}

SingleEvent CalendarBuilder::makeSingle(WrittenEvent& event, bool isOverride) {
  SingleEvent single;
  single.start = place(event.start);
  single.length = lengthOf(event, single.start);
  single.event = prototypeOf(event);
  if (isOverride) single.recurrenceId = place(*event.recurrenceId);
  if (observer_) observer_->madeSingle(event, single);
  return single;
}

void CalendarBuilder::note(const WrittenEvent& event, const std::string& what) {
  std::string subject = "event ";
  if (event.uid) subject += quotedForProblem(*event.uid) + " ";
  problems_->push_back(subject + "at line " + std::to_string(event.line) + ": " + what);
}

}  // namespace CorlaMeetings
