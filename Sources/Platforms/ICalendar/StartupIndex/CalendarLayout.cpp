#include "ICalendar/StartupIndex/CalendarLayout.h"
#include "ICalendar/Parsing/CalendarBlock.h"
#include "ICalendar/Records/SingleEvent.h"

#include <algorithm>
#include <limits>

namespace CorlaMeetings {

void LayoutRecorder::eventBlock(const CalendarBlock& block, const WrittenEvent& event) {
  if (!withRanges_) return;
  const auto group = static_cast<int>(reaches_.size());
  const int found = event.uid ? byUid_.try_emplace(*event.uid, group).first->second : group;
  if (found == group) reaches_.emplace_back();
  events_.push_back({block.begin, block.end, event.line, found});  // in the order of the text
}

void LayoutRecorder::timeZoneBlocks(const std::vector<CalendarBlock>& blocks) {
  if (!withRanges_) return;
  for (const CalendarBlock& block : blocks) zones_.push_back({block.begin, block.end, block.line, 0});
}

void LayoutRecorder::madeSingle(const WrittenEvent& from, const SingleEvent& record) { made(from, reachOf(record)); }

void LayoutRecorder::madeSeries(const WrittenEvent& from, const Series& record) { made(from, reachOf(record)); }

void LayoutRecorder::made(const WrittenEvent& from, const TimeReach& reach) {
  reach_.add(reach);
  if (!withRanges_) return;
  // An event is made from the block that starts on its line.
  const auto block = std::lower_bound(events_.begin(), events_.end(), from.line,
                                      [](const Block& b, int line) { return b.line < line; });
  if (block != events_.end() && block->line == from.line) reaches_[static_cast<std::size_t>(block->group)].add(reach);
}

CalendarLayout LayoutRecorder::take() {
  CalendarLayout layout{reach_, {}};
  layout.ranges.reserve(events_.size() + zones_.size());
  // Events and zones each come in the order of the text: merged, not sorted.
  auto zone = zones_.begin();
  auto addZonesBefore = [&](std::uint64_t begin) {
    for (; zone != zones_.end() && zone->begin < begin; ++zone) {
      layout.ranges.push_back({zone->begin, zone->end, TimeReach::endless()});
    }
  };
  for (const Block& block : events_) {
    addZonesBefore(block.begin);
    layout.ranges.push_back({block.begin, block.end, reaches_[static_cast<std::size_t>(block.group)]});
  }
  addZonesBefore(std::numeric_limits<std::uint64_t>::max());
  events_.clear();
  zones_.clear();
  reaches_.clear();
  byUid_.clear();
  return layout;
}

}  // namespace CorlaMeetings
