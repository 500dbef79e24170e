#include "ICalendar/CalendarLayout.h"

#include <algorithm>

namespace CorlaMeetings {

std::string LayoutRecorder::keyOf(const WrittenEvent& event) {
  return event.uid ? "U" + *event.uid : "L" + std::to_string(event.line);
}

void LayoutRecorder::eventBlock(const CalendarBlock& block, const WrittenEvent& event) {
  if (withRanges_) blocks_.push_back({block.begin, block.end, keyOf(event)});
}

void LayoutRecorder::timeZoneBlocks(const std::vector<CalendarBlock>& blocks) {
  if (!withRanges_) return;
  for (const CalendarBlock& block : blocks) blocks_.push_back({block.begin, block.end, {}});
}

void LayoutRecorder::madeSingle(const WrittenEvent& from, const SingleEvent& record) { made(from, reachOf(record)); }

void LayoutRecorder::madeSeries(const WrittenEvent& from, const Series& record) { made(from, reachOf(record)); }

void LayoutRecorder::made(const WrittenEvent& from, const TimeReach& reach) {
  reach_.add(reach);
  if (withRanges_) reachByKey_[keyOf(from)].add(reach);
}

CalendarLayout LayoutRecorder::take() {
  CalendarLayout layout{reach_, {}};
  std::stable_sort(blocks_.begin(), blocks_.end(), [](const Block& a, const Block& b) { return a.begin < b.begin; });
  layout.ranges.reserve(blocks_.size());
  for (const Block& block : blocks_) {
    TimeReach reach = TimeReach::endless();
    if (!block.key.empty()) {
      const auto found = reachByKey_.find(block.key);
      reach = found == reachByKey_.end() ? TimeReach() : found->second;
    }
    layout.ranges.push_back({block.begin, block.end, reach});
  }
  blocks_.clear();
  reachByKey_.clear();
  return layout;
}

}  // namespace CorlaMeetings
