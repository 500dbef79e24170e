#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace CorlaMeetings {

// The zone names (TZID parameters) that one component's iCalendar text refers to, each
// once, in the order met; folded lines are read unfolded. At most a few dozen names of at
// most 256 bytes: the text is a stranger's.
std::vector<std::string> referencedTimeZones(std::string_view componentText);

// Whether a component's text has an RRULE or RDATE: a series, which detached occurrences
// may come to join.
bool recurs(std::string_view componentText);

// One calendar text made of components (VEVENTs) and the definitions (VTIMEZONEs) they
// need, for the iCalendar parser.
std::string calendarTextOf(const std::vector<const std::string*>& timeZones,
                           const std::vector<const std::string*>& components);

}  // namespace CorlaMeetings
