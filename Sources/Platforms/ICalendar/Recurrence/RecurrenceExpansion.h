#pragma once

#include "ICalendar/Query/OccurrenceQuery.h"
#include "ICalendar/Records/Series.h"

namespace CorlaMeetings {

// Adds to `query` every occurrence of `series` that meets its window, expanding only that
// window: DTSTART, the RDATEs in reach and what each RRULE gives there, less EXDATEs and
// the occurrences overrides replace. Rules follow the wall clock of the series' zone, so a
// daily 09:00 meeting stays at 09:00 across a clock change.
//
// libical walks the rules, started near the window: daily and finer rules from a DTSTART
// moved forward by whole intervals, monthly and yearly ones through
// icalrecur_iterator_set_start (which misaligns intervals of sub-daily and some weekly
// rules, hence the two ways). Its search is bounded by an UNTIL at the window's end, and
// at most ParseLimits::kMaxOccurrencesPerSeries occurrences are taken. Yearly rules by
// week number are expanded by WeekNumberRule instead. Takes libicalMutex() while libical
// runs.
void expandSeries(const Series& series, OccurrenceQuery& query);

}  // namespace CorlaMeetings
