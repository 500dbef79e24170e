// Time-zone definitions from any bytes: the VTIMEZONE blocks of a calendar (the input, put
// inside a VCALENDAR when it holds none), each resolved by its TZID as a calendar's event
// would, then asked for wall-clock times and instants from 1900 to 2040, across the
// clock changes of 2024. Besides not crashing, hanging or leaking: every offset stays
// within a day, whichever way a time is read.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "CalendarFuzzing.h"
#include "FuzzCheck.h"
#include "ICalendar/Parsing/CalendarBlock.h"
#include "ICalendar/Parsing/CalendarTextSplitter.h"
#include "ICalendar/Zones/TimeZoneResolver.h"
#include "ICalendar/Zones/ZoneDefinition.h"

using namespace CorlaMeetings;
using namespace std::chrono;
using Fuzzing::check;

namespace {

constexpr hours kFarthestOffset{19};
constexpr std::size_t kMaxZones = 8;

void ask(const EventTimeZone& zone) {
  const sys_days days[] = {sys_days(year(1900) / 1 / 1), sys_days(year(1970) / 1 / 1), sys_days(year(2024) / 3 / 31),
                           sys_days(year(2024) / 10 / 27), sys_days(year(2040) / 6 / 30)};
  for (const sys_days day : days) {
    for (const hours hour : {hours(0), hours(1), hours(2), hours(3)}) {
      const Instant t(day + hour + minutes(30));
      const LocalSeconds local = zone.localAt(t);
      check(abs(local.time_since_epoch() - floor<seconds>(t.time_since_epoch())) <= kFarthestOffset,
            "an instant's wall-clock time is within a day of it");
      const LocalSeconds asWritten(floor<seconds>(t.time_since_epoch()));
      const Instant read = zone.instantAt(asWritten);
      check(abs(read.time_since_epoch() - asWritten.time_since_epoch()) <= kFarthestOffset,
            "a wall-clock time's instant is within a day of it");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Fuzzing::fixZoneAndLocale();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(Fuzzing::textOf(data, size));
  if (text.find("BEGIN:VCALENDAR") == std::string::npos) text = "BEGIN:VCALENDAR\n" + text + "\nEND:VCALENDAR\n";
  CalendarTextSplitter splitter([](CalendarBlock) {});  // the events are not this target's
  splitter.feed(text);
  const CalendarBlocks blocks = splitter.finish();
  TimeZoneResolver resolver(blocks.timeZones);
  for (std::size_t i = 0; i < blocks.timeZones.size() && i < kMaxZones; ++i) {
    if (const EventTimeZone* zone = resolver.resolve(definedZoneId(blocks.timeZones[i].text))) ask(*zone);
  }
  Fuzzing::emptyLibicalRing();
  return 0;
}
