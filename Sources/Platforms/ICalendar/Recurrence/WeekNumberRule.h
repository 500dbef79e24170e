#pragma once

#include <libical/ical.h>

#include <chrono>
#include <optional>
#include <vector>

#include "ICalendar/Zones/EventTimeZone.h"

namespace CorlaMeetings {

// A yearly rule by week number (BYWEEKNO), expanded here rather than by libical, whose
// iterator hands such rules' days out of order (a late-December day first, then January),
// drops the days of a week that runs into the next year, and misreads negative week
// numbers and WKST.
//
// A day occurs when its week has a number the rule names (weeks start on WKST, Monday
// unless given; week 1 is the first with four days in its year, and -1 the last), its
// weekday is one of BYDAY (DTSTART's without it) and its month one of BYMONTH, if given.
// Each INTERVAL-th calendar year from DTSTART's contributes the days of its own that occur,
// so week 1 may begin in the December before; at the rule's times of day (BYHOUR,
// BYMINUTE, BYSECOND, or DTSTART's), BYSETPOS choosing among them, none before DTSTART.
class WeekNumberRule {
 public:
  // Nothing unless `rule` is yearly with BYWEEKNO.
  static std::optional<WeekNumberRule> of(const icalrecurrencetype& rule, LocalSeconds seriesStart);

  // The starts in [from, to], in order, at most `limit`.
  std::vector<LocalSeconds> startsIn(LocalSeconds from, LocalSeconds to, int limit) const;

  // The start of the `count`th occurrence, counted as libical counts: DTSTART only when it
  // is on the rule. Gives up (and sets `cut`) as lastCountedStart does, a step being a year
  // or an occurrence.
  std::optional<LocalSeconds> countedStart(int count, long& stepBudget, bool& cut) const;

 private:
  WeekNumberRule() = default;
  // The year's starts on the days from `from` to `to` (on all its days for BYSETPOS), in
  // order, BYSETPOS applied; DTSTART's bound is not.
  std::vector<LocalSeconds> yearStarts(int year, std::chrono::local_days from, std::chrono::local_days to) const;
  bool dayOccurs(std::chrono::local_days day) const;

  LocalSeconds seriesStart_{};
  int interval_ = 1;
  std::chrono::weekday weekStart_ = std::chrono::Monday;
  std::vector<int> weeks_;
  unsigned weekdays_ = 0;                    // bit w for std::chrono::weekday w
  unsigned months_ = 0;                      // bit m for month m; 0: any
  std::vector<std::chrono::seconds> times_;  // of day, sorted
  std::vector<int> setPositions_;
};

}  // namespace CorlaMeetings
