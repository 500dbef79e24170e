#pragma once

#include "Simulated/InMemoryPreferences.h"
#include "Simulated/RecordingNotificationCenter.h"
#include "Simulated/RecordingWorkspace.h"
#include "Simulated/SimulatedApplication.h"
#include "Simulated/SimulatedCalendarStore.h"
#include "Simulated/SimulatedClock.h"
#include "Simulated/SimulatedLoginItem.h"
#include "Simulated/SimulatedRunLoop.h"
#include "Simulated/SimulatedStatusItem.h"
#include "app/Platform.h"

namespace CorlaMeetings {

// One of each simulated facility, wired together: the run loop runs on the clock, and the
// calendar store and notification centre answer through the run loop. What a test fixture
// or a demo owns; it must outlive every AppDelegate made on platform().
struct SimulatedPlatform {
  explicit SimulatedPlatform(Instant start);
  SimulatedPlatform(const SimulatedPlatform&) = delete;
  SimulatedPlatform& operator=(const SimulatedPlatform&) = delete;

  // The bundle the core takes; it lives as long as this object.
  Platform& platform() { return bundle_; }

  SimulatedClock clock;
  SimulatedRunLoop runLoop;
  SimulatedApplication application;
  SimulatedStatusItem statusItem;
  SimulatedCalendarStore calendarStore;
  RecordingNotificationCenter notificationCenter;
  InMemoryPreferences preferences;
  RecordingWorkspace workspace;
  SimulatedLoginItem loginItem;

 private:
  Platform bundle_;
};

}  // namespace CorlaMeetings
