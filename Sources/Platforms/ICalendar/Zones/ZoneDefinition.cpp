#include "ICalendar/Zones/ZoneDefinition.h"

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

#include "ICalendar/Parsing/ParseLimits.h"
#include "meetings/PlainText.h"

namespace CorlaMeetings {

namespace {

// libical's zone code expands clock changes up to this year at most (on 64-bit systems).
constexpr long kLastExpandedYear = 2582;

// A TZID property value with its TEXT escapes undone ("\," and the like), as the TZID
// parameters that refer to it are written.
std::string unescaped(std::string_view value) {
  std::string result;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) ++i;
    result += value[i];
  }
  return std::string(trimmedZoneName(result));
}

// "+0100", "-053000": a UTC offset in seconds, or nothing when it is not one a place could
// have (a day or more).
std::optional<long> parsedOffset(std::string_view value) {
  value = trimmedZoneName(value);
  if (value.size() != 5 && value.size() != 7) return std::nullopt;
  if (value[0] != '+' && value[0] != '-') return std::nullopt;
  for (std::size_t i = 1; i < value.size(); ++i) {
    if (value[i] < '0' || value[i] > '9') return std::nullopt;
  }
  auto number = [&](std::size_t at) { return (value[at] - '0') * 10 + (value[at + 1] - '0'); };
  const long hours = number(1);
  const long minutes = number(3);
  const long seconds = value.size() == 7 ? number(5) : 0;
  if (hours > 18 || minutes > 59 || seconds > 59) return std::nullopt;
  const long offset = hours * 3600 + minutes * 60 + seconds;
  return value[0] == '-' ? -offset : offset;
}

// The year a DATE or DATE-TIME value starts with, if it does.
std::optional<long> yearOf(std::string_view value) {
  value = trimmedZoneName(value);
  if (value.size() < 4 || !std::all_of(value.begin(), value.begin() + 4, [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return (value[0] - '0') * 1000L + (value[1] - '0') * 100L + (value[2] - '0') * 10L + (value[3] - '0');
}

long listLength(std::string_view values) {
  return 1 + static_cast<long>(std::count(values.begin(), values.end(), ','));
}

// A COUNT or INTERVAL: its leading digits, at most 999,999,999.
long numberIn(std::string_view value) {
  long number = 0;
  for (std::size_t i = 0; i < value.size() && i < 9 && value[i] >= '0' && value[i] <= '9'; ++i) {
    number = number * 10 + (value[i] - '0');
  }
  return number;
}

// At most how many onsets a yearly RRULE gives in one year, from the sizes of its BY parts.
// A double: hostile parts multiply beyond any integer.
double onsetsPerYear(const std::map<std::string, std::string>& parts) {
  auto count = [&](const char* name) -> double {
    const auto found = parts.find(name);
    return found == parts.end() ? 0 : listLength(found->second);
  };
  double days = 1;
  if (count("BYYEARDAY") > 0) {
    days = count("BYYEARDAY");
  } else if (count("BYWEEKNO") > 0) {
    days = count("BYWEEKNO") * 7;
  } else if (count("BYDAY") > 0 || count("BYMONTHDAY") > 0) {
    double perMonth = 31;
    if (const auto byDay = parts.find("BYDAY"); byDay != parts.end()) {
      // "-1SU" is one day a month, "SU" up to five.
      perMonth = 0;
      std::size_t start = 0;
      while (start <= byDay->second.size()) {
        const auto end = std::min(byDay->second.find(',', start), byDay->second.size());
        const std::string_view entry = std::string_view(byDay->second).substr(start, end - start);
        perMonth += entry.find_first_of("0123456789") == std::string_view::npos ? 5 : 1;
        start = end + 1;
      }
    }
    if (count("BYMONTHDAY") > 0) perMonth = std::min(perMonth, count("BYMONTHDAY"));
    days = (count("BYMONTH") > 0 ? count("BYMONTH") : 12) * perMonth;
  }
  return days * std::max(1.0, count("BYHOUR")) * std::max(1.0, count("BYMINUTE")) * std::max(1.0, count("BYSECOND"));
}

// At most how many onsets an observance's yearly RRULE gives from its DTSTART's year on.
double ruleOnsets(std::string_view rule, long startYear) {
  std::map<std::string, std::string> parts;
  std::size_t start = 0;
  while (start < rule.size()) {
    const auto end = std::min(rule.find(';', start), rule.size());
    const std::string_view part = rule.substr(start, end - start);
    if (const auto equals = part.find('='); equals != std::string_view::npos) {
      parts[asciiUppercased(trimmedZoneName(part.substr(0, equals)))] = asciiUppercased(part.substr(equals + 1));
    }
    start = end + 1;
  }
  long lastYear = kLastExpandedYear;
  if (const auto until = parts.find("UNTIL"); until != parts.end()) {
    lastYear = std::min(lastYear, yearOf(until->second).value_or(kLastExpandedYear));
  }
  long interval = 1;
  if (const auto given = parts.find("INTERVAL"); given != parts.end()) {
    interval = std::clamp(numberIn(given->second), 1L, kLastExpandedYear);
  }
  const long years = std::max(0L, lastYear - startYear) / interval + 1;
  double onsets = static_cast<double>(years) * onsetsPerYear(parts);
  if (const auto count = parts.find("COUNT"); count != parts.end()) {
    onsets = std::min(onsets, static_cast<double>(numberIn(count->second)));
  }
  return onsets;
}

// The content lines of a block's unfolded text, one at a time: each line's name in upper
// case, its parameters (from the first ";") and its value.
class ContentLines {
 public:
  explicit ContentLines(std::string_view text) : text_(text) {}

  bool next() {
    while (position_ < text_.size()) {
      const auto end = std::min(text_.find('\n', position_), text_.size());
      const std::string_view line = text_.substr(position_, end - position_);
      position_ = end + 1;
      const auto nameEnd = line.find_first_of(";:");
      const auto colon = line.find(':');
      if (nameEnd == std::string_view::npos || colon == std::string_view::npos) continue;
      name = asciiUppercased(line.substr(0, nameEnd));
      parameters = line.substr(nameEnd, colon - nameEnd);
      value = line.substr(colon + 1);
      return true;
    }
    return false;
  }

  std::string name;
  std::string_view parameters;
  std::string_view value;

 private:
  std::string_view text_;
  std::size_t position_ = 0;
};

struct Observance {
  bool hasStart = false, hasOffsetTo = false, hasOffsetFrom = false;
  long startYear = 0;
  long dates = 0;  // RDATE values
  std::vector<std::string> rules;

  double onsets() const {
    double total = 1.0 + static_cast<double>(dates);
    for (const auto& rule : rules) total += ruleOnsets(rule, startYear);
    return total;
  }
};

}  // namespace

std::string_view trimmedZoneName(std::string_view name) {
  const auto first = name.find_first_not_of(" \t\"");
  if (first == std::string_view::npos) return {};
  const auto last = name.find_last_not_of(" \t\"");
  return name.substr(first, last - first + 1);
}

std::string definedZoneId(std::string_view text) {
  int depth = 0;
  for (ContentLines line(text); line.next();) {
    if (line.name == "BEGIN") ++depth;
    if (line.name == "END") --depth;
    if (line.name == "TZID" && depth == 1) return unescaped(line.value);
  }
  return {};
}

ZoneDefinitionCheck checkZoneDefinition(std::string_view text) {
  ZoneDefinitionCheck check;
  int observances = 0;
  int depth = 0;
  Observance observance;
  auto refuse = [&](std::string why) {
    check.problem = std::move(why);
    return check;
  };
  for (ContentLines line(text); line.next();) {
    const std::string& name = line.name;
    const std::string_view value = line.value;
    if (name == "BEGIN") {
      if (++depth != 2) continue;
      const std::string kind = asciiUppercased(trimmedZoneName(value));
      if (kind != "STANDARD" && kind != "DAYLIGHT") return refuse("an observance that is not STANDARD or DAYLIGHT");
      if (++observances > ParseLimits::kMaxObservances) return refuse("too many observances");
      observance = Observance();
    } else if (name == "END") {
      if (depth-- != 2) continue;
      if (!(observance.hasStart && observance.hasOffsetTo && observance.hasOffsetFrom))
        return refuse("an observance lacks DTSTART or an offset");
      const double onsets = static_cast<double>(check.onsets) + observance.onsets();
      if (onsets > ParseLimits::kMaxZoneOnsets) return refuse("its clocks change too often");
      check.onsets = static_cast<long>(onsets);
    } else if (depth == 2) {
      if (name == "DTSTART") {
        observance.hasStart = true;
        observance.startYear = yearOf(value).value_or(0);
      } else if (name == "TZOFFSETTO" || name == "TZOFFSETFROM") {
        if (!parsedOffset(value)) return refuse("impossible UTC offset");
        (name == "TZOFFSETTO" ? observance.hasOffsetTo : observance.hasOffsetFrom) = true;
      } else if (name == "RRULE") {
        if (asciiUppercased(value).find("FREQ=YEARLY") == std::string::npos) return refuse("a rule that is not yearly");
        observance.rules.emplace_back(value);
      } else if (name == "RDATE") {
        if (asciiUppercased(line.parameters).find("PERIOD") != std::string::npos) return refuse("an RDATE of periods");
        observance.dates += listLength(value);
      }
    }
  }
  if (observances == 0) return refuse("no observances");
  return check;
}

}  // namespace CorlaMeetings
