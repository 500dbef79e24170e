#include "ICalendar/CalendarLayout.h"

#include <algorithm>

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
  for (const Block& block : events_) {
    layout.ranges.push_back({block.begin, block.end, reaches_[static_cast<std::size_t>(block.group)]});
  }
  for (const Block& block : zones_) layout.ranges.push_back({block.begin, block.end, TimeReach::endless()});
  std::sort(layout.ranges.begin(), layout.ranges.end(),
            [](const TextRange& a, const TextRange& b) { return a.begin < b.begin; });
  events_.clear();
  zones_.clear();
  reaches_.clear();
  byUid_.clear();
  return layout;
}

}  // namespace CorlaMeetings
