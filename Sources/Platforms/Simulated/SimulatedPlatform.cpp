#include "Simulated/SimulatedPlatform.h"

namespace CorlaMeetings {

SimulatedPlatform::SimulatedPlatform(Instant start)
    : clock(start),
      runLoop(clock),
      calendarStore(runLoop),
      notificationCenter(runLoop),
      bundle_{.application = application,
              .clock = clock,
              .runLoop = runLoop,
              .statusItem = statusItem,
              .calendarStore = calendarStore,
              .notificationCenter = notificationCenter,
              .preferences = preferences,
              .workspace = workspace,
              .loginItem = loginItem} {}

}  // namespace CorlaMeetings
