#pragma once

#include <unicode/timezone.h>

#include <functional>
#include <memory>
#include <string_view>

#include "ICalendar/Zones/EventTimeZone.h"

namespace CorlaMeetings {

// The zone ICU gives for a name, made once per process and shared by every calendar that
// names it: a vdir folder of twenty thousand one-event files would otherwise make the same
// few zones twenty thousand times, at some microseconds and a kilobyte each. `make` is asked
// the first time a name comes (and again for names beyond a few hundred, which only hostile
// calendars have); its answer, a zone or none, is kept. Any thread.
std::shared_ptr<const EventTimeZone> sharedZone(
    std::string_view name, const std::function<std::unique_ptr<icu::TimeZone>(std::string_view name)>& make);

// The same for a zone a calendar defines, by the whole text of its VTIMEZONE: a folder of
// one-event files repeats its producer's custom zones in every file, and reading one takes
// libical milliseconds. Definitions are kept up to a few MB of text in all.
std::shared_ptr<const EventTimeZone> sharedDefinedZone(
    const std::string& definition, const std::function<std::shared_ptr<const EventTimeZone>()>& make);

}  // namespace CorlaMeetings
