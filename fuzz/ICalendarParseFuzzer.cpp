// Parsing a calendar from any bytes, and nothing else: the splitter, libical's reading of
// each event, zones and the building of records, many times faster than the calendar
// target, which also asks for windows. Besides not crashing, hanging or leaking, a text
// read in two pieces gives what it gives in one, as CalendarParser promises.
#include <cstddef>
#include <cstdint>

#include "CalendarFuzzing.h"
#include "FuzzCheck.h"
#include "ICalendar/Parsing/CalendarParser.h"
#include "ICalendar/Parsing/ParseLimits.h"
#include "ICalendar/Query/ParsedCalendar.h"

using namespace CorlaMeetings;
using Fuzzing::check;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Fuzzing::fixZoneAndLocale();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto text = Fuzzing::textOf(data, size);
  const ParseResult whole = parseCalendar(text);
  check(whole.problems.size() <= ParseLimits::kMaxProblems + 1, "problems are capped");

  // One input in four is read again in two pieces, split where its first byte says: all
  // of them would halve the speed.
  if (size == 0 || data[size - 1] % 4 != 0) {
    Fuzzing::emptyLibicalRing();
    return 0;
  }
  const std::size_t split = data[0] * size / 256;
  CalendarParser parser;
  parser.feed(text.substr(0, split));
  parser.feed(text.substr(split));
  const ParseResult pieces = parser.finish();
  check((whole.calendar == nullptr) == (pieces.calendar == nullptr), "pieces find the calendar the whole text does");
  check(whole.problems == pieces.problems, "pieces give the problems of the whole text");
  if (whole.calendar) check(whole.calendar->eventCount() == pieces.calendar->eventCount(), "pieces give its events");
  Fuzzing::emptyLibicalRing();
  return 0;
}
