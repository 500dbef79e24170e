#include "EDS/Store/ViewRange.h"

#include <gtest/gtest.h>

#include "Platforms/ICalendar/Support/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

using std::chrono::days;
using std::chrono::hours;

// Two months of refreshes, each of today and the three days after, from the range the
// store opens with: every window lies in what is held, margins included, and the views
// load again only every few weeks.
TEST(ViewRange, HoldsEveryDaysWindowAndLoadsAgainEveryFewWeeks) {
  const Instant first = utcTime(2026, 12, 7);
  for (hours zone : {hours{-12}, hours{0}, hours{14}}) {  // local midnight anywhere on Earth
    SCOPED_TRACE(zone.count());
    ViewRange held = viewRangeAt(first);
    int loads = 1;
    for (Instant day = first; day < first + days{60}; day += days{1}) {
      const Instant start = day + zone;
      const Instant end = start + days{4};
      if (wantsNewRange(held, start, end)) {
        held = viewRangeFor(start, end);
        ++loads;
      }
      EXPECT_LE(held.from + days{2}, start);
      EXPECT_GE(held.to - days{2}, end);
    }
    EXPECT_LE(loads, 3);
  }
}

}  // namespace
}  // namespace CorlaMeetings::Testing
