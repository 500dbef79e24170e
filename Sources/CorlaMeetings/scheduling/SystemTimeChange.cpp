#include "app/AppDelegate.h"

namespace CorlaMeetings {

// After a suspend the refresh timer, which counts time the machine was awake, may be hours
// late; after a clock or zone change its period and the loaded days were chosen for a time
// that is no longer now. A refresh puts title, reminders and menu on the new time, and
// re-arms the timer from it.
void AppDelegate::systemTimeChanged() { refreshMeetings(); }

}  // namespace CorlaMeetings
