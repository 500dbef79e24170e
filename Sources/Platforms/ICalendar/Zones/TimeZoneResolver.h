#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ICalendar/Parsing/CalendarBlock.h"
#include "ICalendar/Parsing/CalendarTextSplitter.h"
#include "ICalendar/Zones/EventTimeZone.h"

namespace CorlaMeetings {

// Finds the zone a TZID names. ICU's own zones come first: IANA names, the Windows names
// Outlook and Exchange write ("W. Europe Standard Time"), and IANA names behind the path
// prefixes some producers put in front ("/mozilla.org/20050126_1/Europe/Berlin"). Only a
// name ICU does not know is looked up among the calendar's own VTIMEZONEs, and such a
// definition is read as written (DefinedTimeZone) if it looks like a real zone
// (checkZoneDefinition) and the calendar's definitions together stay within
// ParseLimits::kMaxZoneOnsetsPerCalendar onsets. Without one, a Windows display name
// ("(UTC-05:00) Eastern Time (US & Canada)") is read for the zone it means. One per parse;
// not thread-safe.
class TimeZoneResolver {
 public:
  explicit TimeZoneResolver(const std::vector<CalendarBlock>& timeZones);

  // Whether `tzid` is found without any definition (ICU's names, Windows names, prefixed
  // IANA names): a store that must fetch definitions fetches only the others. Any thread.
  static bool knowsByName(const std::string& tzid);

  // Null when nobody knows the name: times in it are then read as floating, and the name
  // is noted once in problems().
  const EventTimeZone* resolve(const std::string& tzid);

  // Every zone resolve() returned, to be kept as long as the times that point at them.
  std::vector<std::shared_ptr<const EventTimeZone>> zones() const;
  const std::vector<std::string>& problems() const { return problems_; }

 private:
  std::shared_ptr<const EventTimeZone> fromDefinition(const std::string& name);

  std::map<std::string, std::string> definitions_;                        // VTIMEZONE texts by TZID
  std::map<std::string, std::shared_ptr<const EventTimeZone>> resolved_;  // null: unknown
  std::vector<std::string> problems_;
  long onsetBudget_;  // what the definitions read so far left of the calendar's onsets
};

}  // namespace CorlaMeetings
