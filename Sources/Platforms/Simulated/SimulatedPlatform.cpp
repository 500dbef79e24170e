#include "Simulated/SimulatedPlatform.h"

namespace CorlaMeetings {

SimulatedPlatform::SimulatedPlatform(Instant start, bool statusItemHasButton)
    : clock(start),
      runLoop(clock),
      statusItem(statusItemHasButton),
      calendarStore(runLoop),
      notificationCenter(runLoop),
      bundle_{application, clock,          runLoop,     statusItem, calendarStore,
              notificationCenter, preferences, workspace, loginItem} {}

}  // namespace CorlaMeetings
