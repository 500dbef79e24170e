#include "EDS/Store/ViewRange.h"

#include <cstdio>

namespace CorlaMeetings {

namespace {

using Days = std::chrono::days;

constexpr Days kMargin{2};
constexpr Days kAhead{28};
constexpr Days kRenewal{7};

// 20261207T080000Z
std::string utcText(Instant instant) {
  const auto day = std::chrono::floor<Days>(instant);
  const std::chrono::year_month_day date{day};
  const std::chrono::hh_mm_ss time{std::chrono::floor<std::chrono::seconds>(instant - day)};
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02u%02uT%02ld%02ld%02ldZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<long>(time.hours().count()), static_cast<long>(time.minutes().count()),
                static_cast<long>(time.seconds().count()));
  return text;
}

}  // namespace

ViewRange viewRangeAt(Instant now) { return viewRangeFor(now - Days{2}, now + Days{5}); }

ViewRange viewRangeFor(Instant start, Instant end) { return {start - kMargin, end + kMargin + kAhead}; }

bool wantsNewRange(const ViewRange& held, Instant start, Instant end) {
  return start < held.from + kMargin || end > held.to - kMargin - kRenewal;
}

std::string viewQuery(const ViewRange& range) {
  return "(or (has-recurrences?) (occur-in-time-range? (make-time \"" + utcText(range.from) + "\") (make-time \"" +
         utcText(range.to) + "\")))";
}

}  // namespace CorlaMeetings
