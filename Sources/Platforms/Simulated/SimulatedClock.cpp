#include "Simulated/SimulatedClock.h"

#include "Simulated/SimulatedDuration.h"

namespace CorlaMeetings {

void SimulatedClock::advance(double seconds) { now_ = addingClampedSeconds(now_, seconds); }

}  // namespace CorlaMeetings
