#pragma once

#include <memory>
#include <vector>

#include "ICalendar/Query/ParsedCalendar.h"

namespace CorlaMeetings {

// Several calendars queried as one (a vdir folder: one file per event). Null entries are
// skipped; merged calendars may be merged again.
std::shared_ptr<const ParsedCalendar> mergeCalendars(std::vector<std::shared_ptr<const ParsedCalendar>> calendars);

}  // namespace CorlaMeetings
