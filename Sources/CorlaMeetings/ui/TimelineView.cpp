#include "ui/TimelineView.h"

#include "app/GraphicsContext.h"
#include "app/LocalCalendar.h"

namespace CorlaMeetings {

namespace {

constexpr int windowDays = 4;
constexpr double minimumBlockWidth = 3;
constexpr double blockHeight = 8;

// Positions on the bar are fractions of the window, in floating point.
double inSeconds(Duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

void TimelineView::draw(GraphicsContext& context) const {
  View::draw(context);
  const Rect area = bounds();
  context.fillRoundedRect(area.insetBy(0, 5), 3, 3, separatorColor().withAlpha(0.5));

  // Calendar days, not 4 × 24 hours: a window over a clock change is an hour shorter or longer.
  const Instant windowStart = LocalCalendar::startOfDay(clock_.now());
  const Instant windowEnd = LocalCalendar::addingDays(windowStart, windowDays);
  const double total = inSeconds(windowEnd - windowStart);
  if (total <= 0) return;

  for (const MeetingItem& meeting : meetings) {
    const double start = inSeconds(meeting.event->startDate - windowStart);
    const double end = inSeconds(meeting.event->endDate - windowStart);
    const double visibleStart = start > 0 ? start : 0;
    const double visibleEnd = total < end ? total : end;
    const double x = area.minX() + visibleStart / total * area.width;
    double width = (visibleEnd - visibleStart) / total * area.width;
    if (width <= minimumBlockWidth) width = minimumBlockWidth;
    const Color& color = meeting.isHappeningNow(clock_.now()) ? veltoLime() : veltoBlue();
    context.fillRoundedRect({x, area.midY() - blockHeight / 2, width, blockHeight}, 4, 4, color);
  }
}

}  // namespace CorlaMeetings
