#include "ICalendar/Recurrence/WeekNumberRule.h"

#include <algorithm>
#include <cstdlib>

#include "ICalendar/Libical/RuleValues.h"
#include "ICalendar/Parsing/ParseLimits.h"

namespace CorlaMeetings {

using namespace std::chrono;

namespace {

constexpr int kLastYear = 9999;

// The first day of week 1 of `y`: the week holding 4 January holds four days of the year,
// whichever day weeks start on.
local_days firstWeekStart(int y, weekday weekStart) {
  const local_days fourth = local_days(year(y) / January / 4);
  return fourth - (weekday(fourth) - weekStart);
}

// The number of `day`'s week within its week-numbering year, from the front and from the
// back (-1 for the last week).
std::pair<int, int> weekNumbers(local_days day, weekday weekStart) {
  int y = static_cast<int>(year_month_day(day).year());
  if (day < firstWeekStart(y, weekStart)) {
    --y;
  } else if (day >= firstWeekStart(y + 1, weekStart)) {
    ++y;
  }
  const local_days first = firstWeekStart(y, weekStart);
  const int number = static_cast<int>((day - first).count() / 7) + 1;
  const int weeks = static_cast<int>((firstWeekStart(y + 1, weekStart) - first).count() / 7);
  return {number, number - weeks - 1};
}

}  // namespace

std::optional<WeekNumberRule> WeekNumberRule::of(const icalrecurrencetype& rule, LocalSeconds seriesStart) {
  if (rule.freq != ICAL_YEARLY_RECURRENCE || !hasRuleValues(rule.by_week_no)) return std::nullopt;
  WeekNumberRule result;
  result.seriesStart_ = seriesStart;
  result.interval_ = std::max<short>(rule.interval, 1);
  if (rule.week_start >= ICAL_SUNDAY_WEEKDAY && rule.week_start <= ICAL_SATURDAY_WEEKDAY) {
    result.weekStart_ = weekday(static_cast<unsigned>(rule.week_start - ICAL_SUNDAY_WEEKDAY));
  }
  result.weeks_ = ruleValues(rule.by_week_no);
  for (int value : ruleValues(rule.by_day)) {
    const int day = std::abs(value) % 8;  // libical: 1 is Sunday, plus eight times a position
    if (day >= 1 && day <= 7) result.weekdays_ |= 1u << (day - 1);
  }
  const local_days startDay = floor<days>(seriesStart);
  if (result.weekdays_ == 0) result.weekdays_ = 1u << weekday(startDay).c_encoding();
  for (int month : ruleValues(rule.by_month)) {
    if (month >= 1 && month <= 12) result.months_ |= 1u << month;
  }
  const hh_mm_ss startTime(seriesStart - startDay);
  auto orStart = [](std::vector<int> values, long fallback) {
    return values.empty() ? std::vector<int>{static_cast<int>(fallback)} : values;
  };
  for (int hour : orStart(ruleValues(rule.by_hour), startTime.hours().count())) {
    for (int minute : orStart(ruleValues(rule.by_minute), startTime.minutes().count())) {
      for (int second : orStart(ruleValues(rule.by_second), startTime.seconds().count())) {
        if (hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60)
          result.times_.push_back(hours(hour) + minutes(minute) + seconds(second));
      }
    }
  }
  std::sort(result.times_.begin(), result.times_.end());
  result.times_.erase(std::unique(result.times_.begin(), result.times_.end()), result.times_.end());
  result.setPositions_ = ruleValues(rule.by_set_pos);
  return result;
}

bool WeekNumberRule::dayOccurs(local_days day) const {
  if (!(weekdays_ & (1u << weekday(day).c_encoding()))) return false;
  if (months_ != 0 && !(months_ & (1u << static_cast<unsigned>(year_month_day(day).month())))) return false;
  const std::pair<int, int> numbers = weekNumbers(day, weekStart_);  // from the front, from the back
  return std::find_if(weeks_.begin(), weeks_.end(),
                      [&](int week) { return week == numbers.first || week == numbers.second; }) != weeks_.end();
}

std::vector<LocalSeconds> WeekNumberRule::yearStarts(int y, local_days from, local_days to) const {
  std::vector<LocalSeconds> starts;
  local_days first = local_days(year(y) / January / 1);
  local_days last = local_days(year(y) / December / 31);
  if (setPositions_.empty()) {  // else positions count from the year's ends
    first = std::max(first, from);
    last = std::min(last, to);
  }
  for (local_days day = first; day <= last; day += days(1)) {
    if (!dayOccurs(day)) continue;
    for (const seconds time : times_) starts.push_back(LocalSeconds(day) + time);
  }
  if (setPositions_.empty()) return starts;
  std::vector<LocalSeconds> chosen;
  const int size = static_cast<int>(starts.size());
  for (int position : setPositions_) {
    const int index = position > 0 ? position - 1 : size + position;
    if (position != 0 && index >= 0 && index < size) chosen.push_back(starts[static_cast<std::size_t>(index)]);
  }
  std::sort(chosen.begin(), chosen.end());
  chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
  return chosen;
}

std::vector<LocalSeconds> WeekNumberRule::startsIn(LocalSeconds from, LocalSeconds to, int limit) const {
  std::vector<LocalSeconds> starts;
  const int firstYear = static_cast<int>(year_month_day(floor<days>(seriesStart_)).year());
  const int fromYear = static_cast<int>(year_month_day(floor<days>(std::max(from, seriesStart_))).year());
  const int toYear = std::min(kLastYear, static_cast<int>(year_month_day(floor<days>(to)).year()));
  // The first of the rule's years at or after `from`'s.
  int y = firstYear + (std::max(0, fromYear - firstYear) + interval_ - 1) / interval_ * interval_;
  for (; y <= toYear; y += interval_) {
    for (const LocalSeconds start : yearStarts(y, floor<days>(from), floor<days>(to))) {
      if (start < from || start < seriesStart_) continue;
      if (start > to || static_cast<int>(starts.size()) >= limit) return starts;
      starts.push_back(start);
    }
  }
  return starts;
}

std::optional<LocalSeconds> WeekNumberRule::countedStart(int count, long& stepBudget, bool& cut) const {
  cut = false;
  std::optional<LocalSeconds> last;
  int counted = 0;
  const int firstYear = static_cast<int>(year_month_day(floor<days>(seriesStart_)).year());
  for (int y = firstYear; y <= kLastYear && counted < count; y += interval_) {
    if (counted >= ParseLimits::kMaxCountedOccurrences || --stepBudget <= 0) {
      cut = true;
      break;
    }
    for (const LocalSeconds start : yearStarts(y, local_days::min(), local_days::max())) {
      if (start < seriesStart_) continue;
      if (counted >= count) break;
      ++counted;
      --stepBudget;
      last = start;
    }
  }
  return last;
}

}  // namespace CorlaMeetings
