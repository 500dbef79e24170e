#pragma once

#include <vector>

#include "app/Clock.h"
#include "meetings/MeetingItem.h"
#include "ui/View.h"

namespace CorlaMeetings {

// The loaded meetings as blocks on one bar covering four calendar days from local
// midnight today. No text, no interaction; every drawing reads the clock afresh.
class TimelineView : public View {
 public:
  TimelineView(Rect frame, const Clock& clock) : View(frame), clock_(clock) {}

  std::vector<MeetingItem> meetings;  // drawn in order: later blocks over earlier ones

  void draw(GraphicsContext& context) const override;

 private:
  const Clock& clock_;
};

}  // namespace CorlaMeetings
