#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace CorlaMeetings {

// One logical line of iCalendar text: its physical lines unfolded, its end taken off.
struct UnfoldedLine {
  std::string_view text;
  int number = 0;         // of its first physical line, from 1
  bool cut = false;       // it was longer than ParseLimits::kMaxLineBytes, and is cut there
  std::size_t begin = 0;  // bytes of the text it came from: its first physical line's start
  std::size_t end = 0;    // and the next line's start (the text's end, for the last)
};

// Unfolds text given in pieces of any size into its logical lines: a byte-order mark is
// skipped, CRLF, LF and lone CR end lines, a line starting with a space or tab continues
// the one before, lines are cut at the line limit, and text past
// ParseLimits::kMaxCalendarBytes is not read. Pieces split anywhere give the same lines
// as the text in one piece.
class UnfoldedLines {
 public:
  // Where the lines go, one call each (a plain virtual call: there are a million of them in
  // a large calendar).
  class Sink {
   public:
    virtual ~Sink() = default;
    virtual void line(const UnfoldedLine& line) = 0;
  };

  explicit UnfoldedLines(Sink& sink) : sink_(sink) {}

  void feed(std::string_view piece);
  // The end of the text: its last line goes out. Whether text past the limit was left unread.
  bool finish();

 private:
  void lines(std::string_view text);
  void physicalLine(std::string_view physical, std::size_t start);

  Sink& sink_;
  std::size_t fed_ = 0;
  bool tooLong_ = false;
  std::string start_;  // the first bytes, until it is clear whether they are a BOM
  bool started_ = false;
  std::size_t offset_ = 0;  // of the next byte lines() is given
  std::string partial_;     // a physical line running on past a piece
  std::size_t partialStart_ = 0;
  bool afterCarriageReturn_ = false;
  std::string logical_;
  int logicalNumber_ = 0;
  std::size_t logicalStart_ = 0;
  bool open_ = false;  // `logical_` holds a line that continuation lines may extend
  bool cut_ = false;
  int number_ = 0;
};

}  // namespace CorlaMeetings
