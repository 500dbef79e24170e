#include "ICalendar/Recurrence/RuleCanOccur.h"

#include <algorithm>
#include <bitset>
#include <cstdlib>
#include <vector>

#include "ICalendar/Libical/RuleValues.h"

namespace CorlaMeetings {

namespace {

using namespace std::chrono;

constexpr int kFirstYear = 2001;
constexpr int kYears = 28;

struct WeekdayEntry {
  int position;  // 0: every such weekday; n: the nth; -n: the nth from the end
  weekday day;
};

std::vector<WeekdayEntry> weekdayEntries(const icalrecurrencetype& rule) {
  std::vector<WeekdayEntry> entries;
  for (int value : ruleValues(rule.by_day)) {
    // libical's encoding: weekday (1 is Sunday) plus eight times the position, signed.
    const int magnitude = std::abs(value);
    const int day = magnitude % 8;
    const int position = (magnitude - day) / 8 * (value < 0 ? -1 : 1);
    if (day >= 1 && day <= 7) entries.push_back({position, weekday(static_cast<unsigned>(day - 1))});
  }
  return entries;
}

// Days are indexed from 1 within the period (a month or a year) that starts at `first`.
using DaySet = std::bitset<368>;

DaySet weekdayDays(const std::vector<WeekdayEntry>& entries, local_days first, int length) {
  DaySet set;
  for (const auto& entry : entries) {
    std::vector<int> matching;
    for (int i = 1; i <= length; ++i) {
      if (weekday(first + days(i - 1)) == entry.day) matching.push_back(i);
    }
    const int n = static_cast<int>(matching.size());
    if (entry.position == 0) {
      for (int i : matching) set.set(static_cast<std::size_t>(i));
    } else if (entry.position > 0 && entry.position <= n) {
      set.set(static_cast<std::size_t>(matching[static_cast<std::size_t>(entry.position - 1)]));
    } else if (entry.position < 0 && -entry.position <= n) {
      set.set(static_cast<std::size_t>(matching[static_cast<std::size_t>(n + entry.position)]));
    }
  }
  return set;
}

// Day numbers counted from the end when negative, as BYMONTHDAY and BYYEARDAY allow.
DaySet numberedDays(const std::vector<int>& numbers, int length, int offset = 0) {
  DaySet set;
  for (int number : numbers) {
    const int day = number > 0 ? number : length + number + 1;
    if (day >= 1 && day <= length) set.set(static_cast<std::size_t>(day + offset));
  }
  return set;
}

bool setPositionsAllow(const std::vector<int>& positions, std::size_t count) {
  if (count == 0) return false;
  if (positions.empty()) return true;
  for (int position : positions) {
    if (static_cast<std::size_t>(std::abs(position)) <= count) return true;
  }
  return false;
}

int lengthOf(year y, month m) {
  return static_cast<int>(static_cast<unsigned>(year_month_day_last(y, month_day_last(m)).day()));
}

bool monthlyCanOccur(const icalrecurrencetype& rule, day startDay) {
  const auto months = ruleValues(rule.by_month);
  const auto monthDays = ruleValues(rule.by_month_day);
  const auto weekdays = weekdayEntries(rule);
  const auto positions = ruleValues(rule.by_set_pos);
  for (int y = kFirstYear; y < kFirstYear + kYears; ++y) {
    for (unsigned m = 1; m <= 12; ++m) {
      // BYMONTH only filters the months of a MONTHLY rule.
      if (!months.empty() && std::find(months.begin(), months.end(), static_cast<int>(m)) == months.end()) continue;
      const int length = lengthOf(year(y), month(m));
      DaySet set = monthDays.empty() ? numberedDays({static_cast<int>(static_cast<unsigned>(startDay))}, length)
                                     : numberedDays(monthDays, length);
      if (!weekdays.empty()) {
        const DaySet matching = weekdayDays(weekdays, local_days(year(y) / month(m) / 1), length);
        set = monthDays.empty() ? matching : set & matching;
      }
      if (setPositionsAllow(positions, set.count())) return true;
    }
  }
  return false;
}

bool yearlyCanOccur(const icalrecurrencetype& rule, month startMonth, day startDay) {
  const auto months = ruleValues(rule.by_month);
  const auto monthDays = ruleValues(rule.by_month_day);
  const auto yearDays = ruleValues(rule.by_year_day);
  const auto weekNumbers = ruleValues(rule.by_week_no);
  const auto weekdays = weekdayEntries(rule);
  const auto positions = ruleValues(rule.by_set_pos);
  if (!yearDays.empty() && (!weekNumbers.empty() || !months.empty() || !monthDays.empty())) return false;
  if (!weekNumbers.empty()) {
    // Every week number up to 52 exists every year; libical refuses the mixes below.
    return monthDays.empty() && (months.empty() || !weekdays.empty());
  }
  for (int y = kFirstYear; y < kFirstYear + kYears; ++y) {
    const local_days first = local_days(year(y) / January / 1);
    const int length = year(y).is_leap() ? 366 : 365;
    DaySet set;
    if (!yearDays.empty()) {
      set = numberedDays(yearDays, length);
    } else {
      // BYMONTHDAY (or DTSTART's day) within each BYMONTH month (or DTSTART's month).
      std::vector<int> monthList = months;
      if (monthList.empty()) monthList.push_back(static_cast<int>(static_cast<unsigned>(startMonth)));
      const std::vector<int> dayList =
          monthDays.empty() ? std::vector<int>{static_cast<int>(static_cast<unsigned>(startDay))} : monthDays;
      for (int m : monthList) {
        if (m < 1 || m > 12) continue;
        const local_days monthStart = local_days(year(y) / month(static_cast<unsigned>(m)) / 1);
        set |= numberedDays(dayList, lengthOf(year(y), month(static_cast<unsigned>(m))),
                            static_cast<int>((monthStart - first).count()));
      }
    }
    if (!weekdays.empty()) {
      DaySet matching;
      if (!months.empty()) {
        // Numbered weekdays count within each month when there are months.
        for (int m : months) {
          if (m < 1 || m > 12) continue;
          const local_days monthStart = local_days(year(y) / month(static_cast<unsigned>(m)) / 1);
          const DaySet inMonth = weekdayDays(weekdays, monthStart, lengthOf(year(y), month(static_cast<unsigned>(m))));
          matching |= inMonth << static_cast<std::size_t>((monthStart - first).count());
        }
      } else {
        matching = weekdayDays(weekdays, first, length);
      }
      const bool limiting = !yearDays.empty() || !monthDays.empty();
      set = limiting ? set & matching : matching;
    }
    if (setPositionsAllow(positions, set.count())) return true;
  }
  return false;
}

}  // namespace

bool canEverOccur(const icalrecurrencetype& rule, month startMonth, day startDay) {
  switch (rule.freq) {
    case ICAL_MONTHLY_RECURRENCE: return monthlyCanOccur(rule, startDay);
    case ICAL_YEARLY_RECURRENCE: return yearlyCanOccur(rule, startMonth, startDay);
    default: return true;
  }
}

}  // namespace CorlaMeetings
