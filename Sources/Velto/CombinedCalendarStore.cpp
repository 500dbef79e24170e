#include "CombinedCalendarStore.h"

#include <algorithm>
#include <mutex>
#include <utility>

namespace CorlaMeetings {

namespace {

// One access request across the stores; their answers may come on any thread.
struct PendingAnswer {
  std::mutex mutex;
  std::size_t waiting = 0;
  bool granted = false;
  std::function<void(bool)> answer;
};

}  // namespace

CombinedCalendarStore::CombinedCalendarStore(std::vector<CalendarStore*> stores) : stores_(std::move(stores)) {}

void CombinedCalendarStore::requestAccess(std::function<void(bool granted)> answer) {
  auto pending = std::make_shared<PendingAnswer>();
  pending->waiting = stores_.size();
  pending->answer = std::move(answer);
  for (CalendarStore* store : stores_) {
    store->requestAccess([pending](bool granted) {
      std::function<void(bool)> last;
      bool anyGranted = false;
      {
        std::lock_guard lock(pending->mutex);
        pending->granted = pending->granted || granted;
        if (--pending->waiting > 0) return;
        last = std::move(pending->answer);
        anyGranted = pending->granted;
      }
      last(anyGranted);
    });
  }
}

std::vector<std::shared_ptr<const CalendarEvent>> CombinedCalendarStore::events(Instant start, Instant end) {
  std::vector<std::shared_ptr<const CalendarEvent>> all;
  for (CalendarStore* store : stores_) {
    std::vector<std::shared_ptr<const CalendarEvent>> found = store->events(start, end);
    all.insert(all.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
  }
  return all;
}

bool CombinedCalendarStore::askingAgainIsFree() const {
  return std::all_of(stores_.begin(), stores_.end(),
                     [](const CalendarStore* store) { return store->askingAgainIsFree(); });
}

void CombinedCalendarStore::setChangeObserver(std::function<void()> observer) {
  for (CalendarStore* store : stores_) store->setChangeObserver(observer);
}

}  // namespace CorlaMeetings
