#pragma once

#include <functional>

#include "app/CalendarStore.h"
#include "app/RunLoop.h"

namespace CorlaMeetings {

// A calendar store that tells when an access answer has been handled. The application
// applies an answer in a task it posts to the main loop; the relay posts its own task right
// after, so `answered` runs once that refresh is complete.
class AccessAnswerRelay : public CalendarStore {
 public:
  AccessAnswerRelay(CalendarStore& store, RunLoop& runLoop, std::function<void()> answered)
      : store_(store), runLoop_(runLoop), answered_(std::move(answered)) {}

  void requestAccess(std::function<void(bool granted)> answer) override {
    store_.requestAccess([this, answer = std::move(answer)](bool granted) {
      answer(granted);
      runLoop_.postTask(answered_);
    });
  }
  std::vector<std::shared_ptr<const CalendarEvent>> events(Instant start, Instant end) override {
    return store_.events(start, end);
  }
  void setChangeObserver(std::function<void()> observer) override { store_.setChangeObserver(std::move(observer)); }
  bool askingAgainIsFree() const override { return store_.askingAgainIsFree(); }

 private:
  CalendarStore& store_;
  RunLoop& runLoop_;
  std::function<void()> answered_;
};

}  // namespace CorlaMeetings
