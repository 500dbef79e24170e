#include "app/AppDelegate.h"

namespace CorlaMeetings {

// Calendar stores post changes in bursts (a sync writes many events): one refresh 0.8 s
// after the last change of a burst. A change may also be what access was waiting for.
void AppDelegate::calendarStoreChanged() {
  if (calendarChangeWorkItem) calendarChangeWorkItem->cancel();
  std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
  calendarChangeWorkItem = platform_.runLoop.runAfter(0.8, [weakSelf] {
    if (auto self = weakSelf.lock()) self->postToSelf(&AppDelegate::refreshOrAskAgain);
  });
}

}  // namespace CorlaMeetings
