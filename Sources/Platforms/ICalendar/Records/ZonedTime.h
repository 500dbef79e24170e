#pragma once

#include "ICalendar/Zones/EventTimeZone.h"

namespace CorlaMeetings {

// A wall-clock time placed in its zone, or floating when `zone` is null: then it is read in
// the user's zone at query time. DATE values are floating midnights. Made by the builder
// from a WrittenTime, whose zone is still only a name.
struct ZonedTime {
  LocalSeconds local{};
  const EventTimeZone* zone = nullptr;
};

}  // namespace CorlaMeetings
