#include "Simulated/SimulatedCalendarStore.h"

#include <algorithm>
#include <utility>

namespace CorlaMeetings {

namespace {

bool overlaps(const CalendarEvent& event, Instant start, Instant end) {
  if (!(start < end)) return false;
  Instant eventEnd = std::max(event.startDate, event.endDate);
  if (eventEnd == event.startDate) return start <= event.startDate && event.startDate < end;
  return event.startDate < end && eventEnd > start;
}

}  // namespace

SimulatedCalendarStore::SimulatedCalendarStore(RunLoop& runLoop) : runLoop_(runLoop) {}

void SimulatedCalendarStore::requestAccess(std::function<void(bool granted)> answer) {
  bool granted;
  {
    std::lock_guard lock(accessMutex_);
    ++accessRequestCount_;
    if (holdingAccessRequests_) {
      pendingAccessRequests_.push_back(std::move(answer));
      return;
    }
    granted = accessGranted_;
  }
  runLoop_.postTask([answer = std::move(answer), granted] {
    if (answer) answer(granted);
  });
}

std::vector<std::shared_ptr<const CalendarEvent>> SimulatedCalendarStore::events(Instant start, Instant end) {
  ++queryCount_;
  lastQueryWindow_ = Window{start, end};
  std::vector<std::shared_ptr<const CalendarEvent>> found;
  for (const auto& event : events_) {
    if (overlaps(*event, start, end)) found.push_back(event);
  }
  return found;
}

void SimulatedCalendarStore::setChangeObserver(std::function<void()> observer) {
  changeObserver_ = std::move(observer);
}

std::shared_ptr<const CalendarEvent> SimulatedCalendarStore::addEvent(CalendarEvent event) {
  auto stored = std::make_shared<const CalendarEvent>(std::move(event));
  events_.push_back(stored);
  return stored;
}

void SimulatedCalendarStore::replaceEvents(std::vector<CalendarEvent> events) {
  events_.clear();
  for (auto& event : events) addEvent(std::move(event));
}

void SimulatedCalendarStore::removeAllEvents() { events_.clear(); }

void SimulatedCalendarStore::postChange() {
  // A copy: the observer may replace itself while it runs.
  auto observer = changeObserver_;
  if (observer) observer();
}

void SimulatedCalendarStore::answerAccessWith(bool granted) {
  std::lock_guard lock(accessMutex_);
  holdingAccessRequests_ = false;
  accessGranted_ = granted;
}

void SimulatedCalendarStore::holdAccessRequests() {
  std::lock_guard lock(accessMutex_);
  holdingAccessRequests_ = true;
}

void SimulatedCalendarStore::answerPendingAccessRequests(bool granted) {
  std::vector<std::function<void(bool)>> answers;
  {
    std::lock_guard lock(accessMutex_);
    answers.swap(pendingAccessRequests_);
  }
  for (auto& answer : answers) {
    if (answer) answer(granted);
  }
}

int SimulatedCalendarStore::accessRequestCount() const {
  std::lock_guard lock(accessMutex_);
  return accessRequestCount_;
}

}  // namespace CorlaMeetings
