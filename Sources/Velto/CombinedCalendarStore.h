#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "app/CalendarStore.h"

namespace CorlaMeetings {

// Several calendar stores as one: the files and subscriptions, and the desktop's calendar
// service. Access is granted when any store grants it, answered once all have answered;
// the events are all of theirs; a change in any is a change. The stores (at least one) are
// not owned and must outlive this one.
class CombinedCalendarStore : public CalendarStore {
 public:
  explicit CombinedCalendarStore(std::vector<CalendarStore*> stores);

  void requestAccess(std::function<void(bool granted)> answer) override;
  // Only when every store's is.
  bool askingAgainIsFree() const override;
  std::vector<std::shared_ptr<const CalendarEvent>> events(Instant start, Instant end) override;
  void setChangeObserver(std::function<void()> observer) override;

 private:
  std::vector<CalendarStore*> stores_;
};

}  // namespace CorlaMeetings
