#pragma once

#include <string>

#include "app/Time.h"

namespace CorlaMeetings {

// The time whose single events the views ask the desktop's calendar service for. Every
// series and every moved occurrence comes whatever its time (our own engine expands them);
// a single event comes when it overlaps the range. The range holds the window a refresh
// asks for and a month ahead: a tray keeps a few weeks of meetings in memory, not a
// calendar's years of them, and loads again about every three weeks.
struct ViewRange {
  Instant from;
  Instant to;

  bool operator==(const ViewRange&) const = default;
};

// The range to open with at `now`: the window a refresh is about to ask for is in it.
ViewRange viewRangeAt(Instant now);

// The range to load for a query of [start, end). Two days of margin on each side: the
// service reads floating times, and zones it does not know, in UTC.
ViewRange viewRangeFor(Instant start, Instant end);

// Whether a query of [start, end) wants another range than `held`: it reaches into the
// margins, or it is within a week of the range's end.
bool wantsNewRange(const ViewRange& held, Instant start, Instant end);

// The views' search expression for `range`.
std::string viewQuery(const ViewRange& range);

}  // namespace CorlaMeetings
