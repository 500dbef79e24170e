#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/CalendarStore.h"
#include "app/Clock.h"
#include "app/RunLoop.h"

namespace CorlaMeetings {

// The program's calendars as one store: the files, folders and subscriptions of the source
// list and, in a build with Evolution Data Server support, the desktop's calendars ("eds:",
// and by default where the service is on the session bus). `calendars` are the --calendar
// options. Main thread, once a Qt application exists; `runLoop` and `clock` must outlive it.
std::unique_ptr<CalendarStore> makeCalendarStore(RunLoop& runLoop, const Clock& clock,
                                                 const std::vector<std::string>& calendars);

}  // namespace CorlaMeetings
