#include "ICalendar/Recurrence/RecurrenceExpansion.h"

#include <libical/ical.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <numeric>

#include "ICalendar/Libical/IcalTime.h"
#include "ICalendar/Libical/LibicalLock.h"
#include "ICalendar/Parsing/ParseLimits.h"
#include "ICalendar/Query/Occurrence.h"
#include "ICalendar/Recurrence/WeekNumberRule.h"

namespace CorlaMeetings {

using namespace std::chrono;

namespace {

// Room for a clock change between the window's wall-clock bounds and the occurrences
// (the largest shifts in use are two hours).
constexpr hours kSlack{3};

struct Candidate {
  LocalSeconds start;
  std::optional<EventLength> length;  // an RDATE PERIOD's own

  bool operator<(const Candidate& other) const { return start < other.start; }
};

// The starts `rule` gives in [low, high], in order, at most `limit` of them.
void ruleStarts(const SeriesRule& rule, LocalSeconds seriesStart, LocalSeconds low, LocalSeconds high, int limit,
                std::vector<Candidate>& out) {
  if (rule.until && *rule.until < low) return;
  if (!rule.days.allowsAnyOf(floor<days>(low), floor<days>(high))) return;
  const LocalSeconds last = rule.until ? std::min(*rule.until, high) : high;

  // Rules of fixed-length periods start from DTSTART moved forward by whole intervals to
  // just before the window: the same occurrences, without walking the years between. The
  // move keeps DTSTART's time of day too, since libical puts a BYHOUR or BYMINUTE value in
  // its place and would change the phase of an hourly rule.
  LocalSeconds start = seriesStart;
  const bool fixedPeriods = rule.frequency != Frequency::Monthly && rule.frequency != Frequency::Yearly;
  const seconds step(std::lcm((frequencyPeriod(rule.frequency) * rule.interval).count(), seconds(days(1)).count()));
  if (fixedPeriods && low > seriesStart + step) start += ((low - seriesStart) / step) * step;

  std::lock_guard<std::mutex> lock(libicalMutex());
  icalrecurrencetype parsed = icalrecurrencetype_from_string(rule.text.c_str());
  if (parsed.freq == ICAL_NO_RECURRENCE) return;
  if (const auto byWeekNumber = WeekNumberRule::of(parsed, seriesStart)) {
    if (parsed.rscale) std::free(parsed.rscale);
    for (const LocalSeconds found : byWeekNumber->startsIn(low, last, limit)) out.push_back({found, std::nullopt});
    return;
  }
  parsed.count = 0;
  parsed.until = toIcalTime(last);
  std::unique_ptr<icalrecur_iterator, decltype(&icalrecur_iterator_free)> iterator(
      icalrecur_iterator_new(parsed, toIcalTime(start)), &icalrecur_iterator_free);
  if (parsed.rscale) std::free(parsed.rscale);
  if (!iterator) return;
  if (!fixedPeriods && low > seriesStart) icalrecur_iterator_set_start(iterator.get(), toIcalTime(low));
  // Starts before `low` come from the period after the moved DTSTART: a few, but with a
  // cap all the same.
  const int maxSteps = limit + 20000;
  for (int taken = 0, steps = 0; taken < limit && steps < maxSteps; ++steps) {
    const auto next = fromIcalTime(icalrecur_iterator_next(iterator.get()));
    if (!next || *next > last) break;
    if (*next < low) continue;
    out.push_back({*next, std::nullopt});
    ++taken;
  }
  icalerror_clear_errno();
}

}  // namespace

void expandSeries(const Series& series, OccurrenceQuery& query) {
  const EventTimeZone& zone = series.start.zone ? *series.start.zone : query.localZone();
  // Starts that THISANDFUTURE overrides move into the window may lie outside it.
  const LocalSeconds low = zone.localAt(query.start()) - series.longest - kSlack - series.latestShift;
  const LocalSeconds high = zone.localAt(query.end()) + kSlack - series.earliestShift;
  if (series.lastStart < low || series.firstStart > high) return;

  std::vector<Candidate> candidates;
  if (series.start.local >= low && series.start.local <= high) candidates.push_back({series.start.local, std::nullopt});
  const auto firstDate = std::lower_bound(series.dates.begin(), series.dates.end(), RecurrenceDate{low, std::nullopt});
  for (auto it = firstDate; it != series.dates.end() && it->start <= high; ++it) {
    candidates.push_back({it->start, it->length});
  }
  for (const auto& rule : series.rules) {
    ruleStarts(rule, series.start.local, low, high, ParseLimits::kMaxOccurrencesPerSeries, candidates);
  }
  // One occurrence per start: an RDATE on a rule's date, or several rules agreeing, count
  // once (an RDATE's own length wins).
  std::stable_sort(candidates.begin(), candidates.end());
  candidates.erase(std::unique(candidates.begin(), candidates.end(),
                               [](const Candidate& a, const Candidate& b) { return a.start == b.start; }),
                   candidates.end());
  if (candidates.size() > static_cast<std::size_t>(ParseLimits::kMaxOccurrencesPerSeries)) {
    candidates.resize(ParseLimits::kMaxOccurrencesPerSeries);
  }

  for (const auto& candidate : candidates) {
    if (query.full()) return;
    if (series.skips(candidate.start)) continue;
    const Instant originalStart = zone.instantAt(candidate.start);
    const SeriesChange* change = series.changeFor(candidate.start);
    const LocalSeconds local = change ? candidate.start + change->shift : candidate.start;
    const Instant start = change ? zone.instantAt(local) : originalStart;
    const EventLength length = change ? change->length : candidate.length.value_or(series.length);
    const Instant end = endOfOccurrence(start, local, length, zone);
    if (!query.overlaps(start, end)) continue;
    // An occurrence is known by where the series put it, wherever a change moved it.
    std::optional<std::string> identifier;
    if (series.event->eventIdentifier) identifier = occurrenceIdentifier(*series.event->eventIdentifier, originalStart);
    query.add(occurrenceOf(change ? *change->event : *series.event, start, end, std::move(identifier)));
  }
}

}  // namespace CorlaMeetings
