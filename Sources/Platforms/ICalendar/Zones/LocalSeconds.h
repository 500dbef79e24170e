#pragma once

#include <chrono>

namespace CorlaMeetings {

// A wall-clock time as a calendar writes it, in whole seconds, in no zone yet. The other
// two local times build on it: a WrittenTime (Parsing) is one as written, its zone still a
// TZID; a ZonedTime (Records) is one placed in a resolved zone, or floating.
using LocalSeconds = std::chrono::local_seconds;

}  // namespace CorlaMeetings
