#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ICalendar/Query/ParsedCalendar.h"

namespace CorlaMeetings {

struct ParseResult {
  // Null when the text holds no calendar at all, no BEGIN:VCALENDAR line (garbage, a binary
  // file, an empty file, a bare VEVENT).
  // A calendar whose every event was bad is an empty calendar, not null.
  std::shared_ptr<const ParsedCalendar> calendar;
  // One line per event dropped or cut short, and why: for stderr, never shown in the UI.
  std::vector<std::string> problems;
};

// Parses untrusted text: a bad event costs only itself, never its neighbours, and no input
// makes this crash, hang or take memory out of proportion to its size (ParseLimits has the
// bounds). Any thread; libical is used under libicalMutex().
ParseResult parseCalendar(std::string_view text);

class LayoutRecorder;

// The same for text that comes in pieces (a file as it is read): each event is read as soon
// as its block ends, so the text is never held whole. feed() any number of times, then
// finish() once; pieces split anywhere give the result of the text in one piece.
// `layout`, when given, learns where the text's occurrences lie.
class CalendarParser {
 public:
  explicit CalendarParser(LayoutRecorder* layout = nullptr);
  ~CalendarParser();
  CalendarParser(const CalendarParser&) = delete;
  CalendarParser& operator=(const CalendarParser&) = delete;

  void feed(std::string_view piece);
  ParseResult finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace CorlaMeetings
