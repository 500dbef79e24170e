#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ICalendar/Parsing/CalendarBlock.h"

namespace CorlaMeetings {

// What a calendar text splits into.
struct CalendarBlocks {
  bool hasCalendar = false;  // a BEGIN:VCALENDAR line was seen
  // VEVENTs, reduced to the properties this adapter reads (no alarms, attendees or
  // attachments, which can be megabytes of base64 that would only slow libical down).
  std::vector<CalendarBlock> events;
  // VTIMEZONEs, whole.
  std::vector<CalendarBlock> timeZones;
  std::vector<std::string> problems;
};

// Splits iCalendar text into its top-level VEVENT and VTIMEZONE blocks without libical, so
// that one broken block costs only itself: libical drops a whole file for one NUL byte or a
// missing END. Accepts CRLF, LF and lone CR line ends, unfolds continuation lines, reads
// names case-insensitively, drops lines holding NUL bytes, cuts lines and blocks at the
// sizes of ParseLimits, and drops a block left open by the next BEGIN of a top-level
// component or by the end of the text. Components outside a VCALENDAR are ignored.
//
// The text comes in pieces of any size (a file as it is read), and each VEVENT block goes
// to `onEvent` as soon as it ends: a large calendar is never held whole next to its blocks.
// Pieces split anywhere give the same blocks as the text in one piece.
class CalendarTextSplitter {
 public:
  using EventSink = std::function<void(CalendarBlock block)>;

  explicit CalendarTextSplitter(EventSink onEvent);
  ~CalendarTextSplitter();
  CalendarTextSplitter(const CalendarTextSplitter&) = delete;
  CalendarTextSplitter& operator=(const CalendarTextSplitter&) = delete;

  void feed(std::string_view piece);
  // The end of the text. The result holds all but the events, which went to the sink.
  CalendarBlocks finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace CorlaMeetings
