#pragma once

#include <libical/ical.h>

#include <chrono>

namespace CorlaMeetings {

// Whether a MONTHLY or YEARLY rule picks at least one day in some month or year, the way
// libical expands its BYMONTHDAY, BYDAY, BYYEARDAY, BYWEEKNO and BYSETPOS parts. libical
// searches up to the year 20000 for a first match before giving up, which costs up to a
// second on every query for a rule like "the 30th of February" or "a 31st that is the
// fifth Monday". Calendar patterns repeat every 28 years within a century, so trying
// 2001 to 2028 settles it. Combinations libical does not implement count as never.
bool canEverOccur(const icalrecurrencetype& rule, std::chrono::month startMonth, std::chrono::day startDay);

}  // namespace CorlaMeetings
