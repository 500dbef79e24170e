#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "ICalendar/Parsing/CalendarBlock.h"
#include "ICalendar/Parsing/CalendarBuilder.h"
#include "ICalendar/Parsing/CalendarTextSplitter.h"
#include "ICalendar/Records/SingleEvent.h"
#include "ICalendar/StartupIndex/TimeReach.h"

namespace CorlaMeetings {

// Bytes [begin, end) of a calendar text, and how far the occurrences they take part in reach.
struct TextRange {
  std::uint64_t begin = 0;
  std::uint64_t end = 0;
  TimeReach reach;
  bool operator==(const TextRange&) const = default;
};

// Where a calendar text's occurrences lie: how far any of them reaches and, when asked
// for, the bytes of each VEVENT and VTIMEZONE in the order of the text. An event's bytes
// carry the reach of everything made from its UID (a series with its overrides, every
// version): the blocks a window needs are then those whose reach meets it, with the
// zones, which reach everywhere.
struct CalendarLayout {
  TimeReach reach;
  std::vector<TextRange> ranges;
};

// Records a parse's layout: CalendarParser tells it of each block it reads and the
// builder of each record it makes.
class LayoutRecorder : public RecordObserver {
 public:
  explicit LayoutRecorder(bool withRanges) : withRanges_(withRanges) {}

  void eventBlock(const CalendarBlock& block, const WrittenEvent& event);
  void timeZoneBlocks(const std::vector<CalendarBlock>& blocks);
  void madeSingle(const WrittenEvent& from, const SingleEvent& record) override;
  void madeSeries(const WrittenEvent& from, const Series& record) override;

  CalendarLayout take();

 private:
  struct Block {
    std::uint64_t begin;
    std::uint64_t end;
    int line;   // of its BEGIN line
    int group;  // of the events that go together: those sharing a UID
  };

  void made(const WrittenEvent& from, const TimeReach& reach);

  bool withRanges_;
  TimeReach reach_;
  std::vector<Block> events_;  // by line
  std::vector<Block> zones_;
  std::vector<TimeReach> reaches_;  // by group
  std::unordered_map<std::string, int> byUid_;
};

}  // namespace CorlaMeetings
