#include "ICalendar/Recurrence/RecurrenceRule.h"

#include <cstdlib>
#include <memory>

#include "ICalendar/Libical/IcalTime.h"
#include "ICalendar/Libical/RuleValues.h"
#include "ICalendar/Parsing/ParseLimits.h"
#include "ICalendar/Recurrence/RuleCanOccur.h"
#include "ICalendar/Recurrence/WeekNumberRule.h"

namespace CorlaMeetings {

namespace {

using namespace std::chrono;

std::optional<Frequency> frequencyOf(icalrecurrencetype_frequency frequency) {
  switch (frequency) {
    case ICAL_SECONDLY_RECURRENCE: return Frequency::Secondly;
    case ICAL_MINUTELY_RECURRENCE: return Frequency::Minutely;
    case ICAL_HOURLY_RECURRENCE: return Frequency::Hourly;
    case ICAL_DAILY_RECURRENCE: return Frequency::Daily;
    case ICAL_WEEKLY_RECURRENCE: return Frequency::Weekly;
    case ICAL_MONTHLY_RECURRENCE: return Frequency::Monthly;
    case ICAL_YEARLY_RECURRENCE: return Frequency::Yearly;
    default: return std::nullopt;
  }
}

// Some month has that day: 31 is fine for January, 30 never for February.
bool monthHasDay(int month, int dayNumber) {
  static constexpr int kLongest[13] = {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return std::abs(dayNumber) <= kLongest[month];
}

bool someMonthHasSomeDay(const icalrecurrencetype& rule) {
  if (!hasRuleValues(rule.by_month) || !hasRuleValues(rule.by_month_day)) return true;
  bool found = false;
  for (int month : ruleValues(rule.by_month)) {
    if (month < 1 || month > 12) continue;
    for (int dayNumber : ruleValues(rule.by_month_day)) found = found || monthHasDay(month, dayNumber);
  }
  return found;
}

// Why libical could spend seconds on this rule in one query, or nothing.
std::optional<std::string> costlyRule(const icalrecurrencetype& rule, Frequency frequency, LocalSeconds start) {
  if (frequency == Frequency::Secondly) return "repeats every few seconds";
  if (frequency == Frequency::Minutely && rule.interval < 15) return "repeats more often than every 15 minutes";
  if (frequency == Frequency::Minutely || frequency == Frequency::Hourly) {
    // libical steps a sub-daily rule one period at a time until a candidate passes the
    // coarser filters: a weekday or a month is met within the year, a 30 February never.
    bool numberedWeekday = false;
    for (int value : ruleValues(rule.by_day)) numberedWeekday = numberedWeekday || std::abs(value) > 7;
    if (hasRuleValues(rule.by_month_day) || hasRuleValues(rule.by_year_day) || hasRuleValues(rule.by_week_no) ||
        hasRuleValues(rule.by_set_pos) || numberedWeekday) {
      return "repeats within the day but only on certain dates";
    }
  }
  if (frequency == Frequency::Daily && !someMonthHasSomeDay(rule)) return "names a date no month has";
  if (frequency == Frequency::Monthly || frequency == Frequency::Yearly) {
    const year_month_day date(floor<days>(start));
    if (!canEverOccur(rule, date.month(), date.day())) return "names no date that exists";
  }
  return std::nullopt;
}

DayFilter dayFilterOf(const icalrecurrencetype& rule, Frequency frequency, LocalSeconds start) {
  DayFilter filter;
  for (int month : ruleValues(rule.by_month)) {
    if (month >= 1 && month <= 12) filter.months |= static_cast<std::uint16_t>(1u << month);
  }
  bool negativeDay = false;
  for (int dayNumber : ruleValues(rule.by_month_day)) {
    if (dayNumber >= 1 && dayNumber <= 31) filter.monthDays |= 1u << dayNumber;
    if (dayNumber < 0) negativeDay = true;
  }
  if (negativeDay) filter.monthDays = 0;
  for (int value : ruleValues(rule.by_day)) {
    const int day = std::abs(value) % 8;  // libical: 1 is Sunday
    if (day >= 1 && day <= 7) filter.weekdays |= static_cast<std::uint8_t>(1u << (day - 1));
  }

  // What libical (and the standard) take from DTSTART when the rule leaves it open.
  const local_days startDay = floor<days>(start);
  const year_month_day date(startDay);
  const bool daysGiven = hasRuleValues(rule.by_month_day) || hasRuleValues(rule.by_day) ||
                         hasRuleValues(rule.by_year_day) || hasRuleValues(rule.by_week_no);
  if ((frequency == Frequency::Monthly || frequency == Frequency::Yearly) && !daysGiven) {
    filter.monthDays = 1u << static_cast<unsigned>(date.day());
  }
  if (frequency == Frequency::Yearly && !daysGiven && !hasRuleValues(rule.by_month)) {
    filter.months = static_cast<std::uint16_t>(1u << static_cast<unsigned>(date.month()));
  }
  if (frequency == Frequency::Weekly && !hasRuleValues(rule.by_day)) {
    filter.weekdays = static_cast<std::uint8_t>(1u << weekday(startDay).c_encoding());
  }
  return filter;
}

std::optional<WrittenTime> writtenUntil(const icaltimetype& until) {
  const auto local = fromIcalTime(until);
  if (!local) return std::nullopt;
  WrittenTime written;
  written.local = *local;
  written.isDate = until.is_date != 0;
  written.isUtc = icaltime_is_utc(until) != 0;
  return written;
}

}  // namespace

std::variant<WrittenRule, std::string> readRule(const icalrecurrencetype& rule, LocalSeconds start) {
  const auto frequency = frequencyOf(rule.freq);
  if (!frequency) return std::string("has no frequency");
  if (rule.rscale && std::string_view(rule.rscale) != "GREGORIAN" && std::string_view(rule.rscale) != "gregorian") {
    return std::string("uses a calendar other than the Gregorian");
  }
  if (rule.interval < 1) return std::string("has an interval below one");
  if (auto why = costlyRule(rule, *frequency, start)) return *why;

  WrittenRule written;
  icalrecurrencetype copy = rule;
  std::unique_ptr<char, decltype(&std::free)> text(icalrecurrencetype_as_string_r(&copy), &std::free);
  if (!text) return std::string("cannot be written back");
  written.text = text.get();
  written.frequency = *frequency;
  written.interval = rule.interval;
  written.count = rule.count > 0 ? rule.count : 0;
  written.until = writtenUntil(rule.until);
  written.days = dayFilterOf(rule, *frequency, start);
  return written;
}

seconds frequencyPeriod(Frequency frequency) {
  switch (frequency) {
    case Frequency::Secondly: return seconds(1);
    case Frequency::Minutely: return minutes(1);
    case Frequency::Hourly: return hours(1);
    case Frequency::Daily: return days(1);
    case Frequency::Weekly: return weeks(1);
    case Frequency::Monthly: return days(28);
    case Frequency::Yearly: return days(365);
  }
  return days(1);
}

std::optional<LocalSeconds> lastCountedStart(const WrittenRule& rule, LocalSeconds start, long& stepBudget, bool& cut) {
  cut = false;
  icalrecurrencetype parsed = icalrecurrencetype_from_string(rule.text.c_str());
  if (parsed.freq == ICAL_NO_RECURRENCE) return std::nullopt;
  if (const auto byWeekNumber = WeekNumberRule::of(parsed, start)) {
    if (parsed.rscale) std::free(parsed.rscale);
    return byWeekNumber->countedStart(rule.count, stepBudget, cut);
  }
  parsed.count = 0;
  // Bounds libical's own search between two occurrences, which COUNT does not.
  parsed.until = toIcalTime(start + years(200));
  std::unique_ptr<icalrecur_iterator, decltype(&icalrecur_iterator_free)> iterator(
      icalrecur_iterator_new(parsed, toIcalTime(start)), &icalrecur_iterator_free);
  if (parsed.rscale) std::free(parsed.rscale);
  if (!iterator) return std::nullopt;

  const auto period = frequencyPeriod(rule.frequency) * rule.interval;
  std::optional<LocalSeconds> last;
  LocalSeconds previous = start;
  for (int n = 0; n < rule.count; ++n) {
    if (n >= ParseLimits::kMaxCountedOccurrences || stepBudget <= 0) {
      cut = true;
      break;
    }
    const auto next = fromIcalTime(icalrecur_iterator_next(iterator.get()));
    if (!next) break;
    stepBudget -= 1 + std::max<long>(0, static_cast<long>((*next - previous) / period));
    previous = *next;
    last = next;
  }
  return last;
}

}  // namespace CorlaMeetings
