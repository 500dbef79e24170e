#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/Time.h"
#include "meetings/MeetingItem.h"
#include "ui/View.h"

namespace CorlaMeetings {

// One meeting in the drop-down: accent bar, time range, title, location (or the service
// hosting the link), how soon it starts, and a Join button. Built once, at `now`; it never
// updates itself.
class MeetingCardView : public View {
 public:
  MeetingCardView(MeetingItem item, std::function<void()> joinAction, Instant now);

  const MeetingItem& item() const { return item_; }

  // The Join button's action: runs the join action once.
  void joinClicked() const;

  // The subviews, in the order they were added.
  const View& accentBar() const { return *subviews()[0]; }
  const Label& timeLabel() const;
  const Label& titleLabel() const;
  const Label& locationLabel() const;
  const Label& statusLabel() const;
  const Button& joinButton() const;

 private:
  void build(Instant now);
  std::string locationText() const;

  MeetingItem item_;
  // Shared with the Join button only weakly, so a button kept past its card does nothing.
  std::shared_ptr<const std::function<void()>> joinAction_;
};

}  // namespace CorlaMeetings
