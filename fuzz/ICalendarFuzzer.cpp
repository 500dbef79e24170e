// Loading a calendar from any bytes: parse it, then ask for a few windows as the app does
// (four days from a midnight), and look at what comes back. Besides not crashing, hanging or
// leaking, the parser keeps the promises ParsedCalendar.h makes about its occurrences.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "CalendarFuzzing.h"
#include "FuzzCheck.h"
#include "ICalendar/Parsing/CalendarParser.h"
#include "ICalendar/Parsing/ParseLimits.h"
#include "ICalendar/Query/MergedCalendar.h"
#include "ICalendar/Query/ParsedCalendar.h"
#include "meetings/JoinLinkDetection.h"

using namespace CorlaMeetings;
using namespace std::chrono;
using Fuzzing::check;

namespace {

Instant midnight(int y, unsigned m, unsigned d) { return Instant(sys_days(year(y) / m / d)); }

// The date of the first DTSTART in the text, if it reads as one: the window where a
// calendar's own events are, which fixed windows would mostly miss.
std::optional<Instant> firstStart(std::string_view text) {
  const auto property = text.find("DTSTART");
  if (property == std::string_view::npos) return std::nullopt;
  const auto colon = text.find(':', property);
  if (colon == std::string_view::npos || text.size() - colon < 9) return std::nullopt;
  int digits[8];
  for (int i = 0; i < 8; ++i) {
    const char c = text[colon + 1 + i];
    if (c < '0' || c > '9') return std::nullopt;
    digits[i] = c - '0';
  }
  const year_month_day date{year(digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3]),
                            month(static_cast<unsigned>(digits[4] * 10 + digits[5])),
                            day(static_cast<unsigned>(digits[6] * 10 + digits[7]))};
  if (!date.ok()) return std::nullopt;
  return Instant(sys_days(date));
}

void query(const ParsedCalendar& calendar, Instant start, Instant end) {
  const auto found = calendar.occurrences(start, end);
  check(found.size() <= ParseLimits::kMaxOccurrencesPerQuery, "a query returns at most kMaxOccurrencesPerQuery");
  for (const auto& occurrence : found) {
    check(occurrence != nullptr, "occurrences are never null");
    check(occurrence->startDate <= occurrence->endDate, "an occurrence ends no earlier than it starts");
    check(occurrence->startDate < end && (occurrence->endDate > start || occurrence->startDate >= start),
          "an occurrence meets the window");
    for (const auto* text : {&occurrence->title, &occurrence->location, &occurrence->notes, &occurrence->URL,
                             &occurrence->eventIdentifier}) {
      if (*text) check(Fuzzing::isValidUtf8(**text), "texts are valid UTF-8");
    }
    // What the refresh does with each timed event.
    (void)detectJoinURL(*occurrence);
  }
}

void load(std::string_view text) {
  const ParseResult result = parseCalendar(text);
  check(result.problems.size() <= ParseLimits::kMaxProblems + 1, "problems are capped");
  if (!result.calendar) return;

  const auto& calendar = *result.calendar;
  (void)calendar.eventCount();
  std::vector<Instant> windows{midnight(2024, 3, 4), midnight(2024, 10, 26), midnight(1970, 1, 1),
                               midnight(2038, 1, 18), midnight(9999, 12, 27)};
  if (const auto start = firstStart(text)) {
    windows.push_back(*start - days(1));
    windows.push_back(*start + days(400));
  }
  for (const Instant start : windows) query(calendar, start, start + days(4));
  // A folder source queries its files as one.
  const auto merged = mergeCalendars({result.calendar, nullptr, result.calendar});
  query(*merged, midnight(2024, 3, 4), midnight(2024, 3, 8));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Fuzzing::fixZoneAndLocale();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  load(Fuzzing::textOf(data, size));
  Fuzzing::emptyLibicalRing();
  return 0;
}
