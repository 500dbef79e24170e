#pragma once

#include <string>
#include <string_view>

namespace CorlaMeetings {

// A zone name with the blanks and quotes around it removed, as TZIDs are compared.
std::string_view trimmedZoneName(std::string_view name);

// The TZID of a VTIMEZONE block (unfolded text), its escapes undone; empty when it has none.
std::string definedZoneId(std::string_view text);

// What a VTIMEZONE block costs to read, found from its text before anything is built.
struct ZoneDefinitionCheck {
  // Why it is not read, or empty when it looks like a real zone: STANDARD and DAYLIGHT
  // observances only, each with DTSTART and both offsets, offsets within a day, yearly
  // rules, RDATEs of dates and times (not periods), at most ParseLimits::kMaxObservances
  // observances and kMaxZoneOnsets onsets.
  std::string problem;
  // At most how many onsets (clock changes) its observances give up to the last year
  // libical's zone code expands to, which is what reading it may cost.
  long onsets = 0;
};

ZoneDefinitionCheck checkZoneDefinition(std::string_view text);

}  // namespace CorlaMeetings
