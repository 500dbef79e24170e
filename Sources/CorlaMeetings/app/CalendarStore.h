#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "app/CalendarEvent.h"
#include "app/Time.h"

namespace CorlaMeetings {

// The user's calendars, read-only.
class CalendarStore {
 public:
  virtual ~CalendarStore() = default;

  // Asks for permission to read events. `answer` is called exactly once, later, on any
  // thread, with whether events may be read.
  virtual void requestAccess(std::function<void(bool granted)> answer) = 0;

  // Whether asking again costs the user nothing (no prompt). Access to such a store is
  // whether calendars can be read right now, which changes by itself (a file appears, a
  // service comes up), so the application asks again whenever it may have changed.
  virtual bool askingAgainIsFree() const { return false; }

  // Events overlapping [start, end), one entry per occurrence of a repeating event, in no
  // promised order. Synchronous; main thread.
  virtual std::vector<std::shared_ptr<const CalendarEvent>> events(Instant start, Instant end) = 0;

  // `observer` runs on the main thread after this store's contents changed, from any
  // source. One observer; setting another replaces it.
  virtual void setChangeObserver(std::function<void()> observer) = 0;
};

}  // namespace CorlaMeetings
