#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "app/CalendarStore.h"
#include "app/RunLoop.h"

namespace CorlaMeetings {

// A calendar store held in memory. Queries return events in the order they were added,
// which keeps tests of the callers' own sorting deterministic. Main thread, except
// answerPendingAccessRequests.
//
// An event overlaps a window [start, end) when it starts before the window ends and ends
// after the window starts. An event without length (or ending before it starts) is an
// instant at its start, found by windows that contain that instant, their first instant
// included. Queries are answered whether or not access was granted.
class SimulatedCalendarStore : public CalendarStore {
 public:
  struct Window {
    Instant start;
    Instant end;
  };

  // Access answers and nothing else go through `runLoop`, which must outlive the store.
  explicit SimulatedCalendarStore(RunLoop& runLoop);

  void requestAccess(std::function<void(bool granted)> answer) override;
  std::vector<std::shared_ptr<const CalendarEvent>> events(Instant start, Instant end) override;
  void setChangeObserver(std::function<void()> observer) override;
  bool askingAgainIsFree() const override { return askingAgainIsFree_; }

  // Editing the contents does not notify: call postChange, as the real notification comes
  // separately and possibly once for several edits.
  std::shared_ptr<const CalendarEvent> addEvent(CalendarEvent event);
  void replaceEvents(std::vector<CalendarEvent> events);
  void removeAllEvents();

  // Calls the change observer now, on the calling thread (the main thread in tests).
  void postChange();

  // How requests for access are answered. By default every request is granted from a task
  // posted to the run loop, so the answer comes later, as from a real store.
  void answerAccessWith(bool granted);
  // Whether the store says asking again is free (a store that prompts: no, the default).
  void setAskingAgainIsFree(bool free) { askingAgainIsFree_ = free; }
  // Keeps requests waiting until answerPendingAccessRequests.
  void holdAccessRequests();
  // Answers every waiting request, on the calling thread, which may be any thread.
  void answerPendingAccessRequests(bool granted);

  int accessRequestCount() const;
  int queryCount() const { return queryCount_; }
  std::optional<Window> lastQueryWindow() const { return lastQueryWindow_; }

 private:
  RunLoop& runLoop_;
  std::vector<std::shared_ptr<const CalendarEvent>> events_;
  std::function<void()> changeObserver_;
  int queryCount_ = 0;
  std::optional<Window> lastQueryWindow_;
  bool askingAgainIsFree_ = false;

  // Access state may be touched from the thread that answers held requests.
  mutable std::mutex accessMutex_;
  bool holdingAccessRequests_ = false;
  bool accessGranted_ = true;
  int accessRequestCount_ = 0;
  std::vector<std::function<void(bool)>> pendingAccessRequests_;
};

}  // namespace CorlaMeetings
