#pragma once

#include "app/Application.h"
#include "app/CalendarStore.h"
#include "app/Clock.h"
#include "app/LoginItem.h"
#include "app/NotificationCenter.h"
#include "app/Preferences.h"
#include "app/RunLoop.h"
#include "app/StatusItem.h"
#include "app/Workspace.h"

namespace CorlaMeetings {

// Every desktop facility the core uses. The owner of the adapters (the process entry, or
// a test fixture) keeps them alive longer than the AppDelegate that uses them.
struct Platform {
  Application& application;
  Clock& clock;
  RunLoop& runLoop;
  StatusItem& statusItem;
  CalendarStore& calendarStore;
  NotificationCenter& notificationCenter;
  Preferences& preferences;
  Workspace& workspace;
  LoginItem& loginItem;
};

}  // namespace CorlaMeetings
