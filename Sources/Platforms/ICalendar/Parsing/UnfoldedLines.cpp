#include "ICalendar/Parsing/UnfoldedLines.h"

#include <algorithm>
#include <cstring>

#include "ICalendar/Parsing/ParseLimits.h"

namespace CorlaMeetings {

namespace {

constexpr std::size_t kMaxPartial = ParseLimits::kMaxLineBytes + 1;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The line ends of one text, found front to back with memchr, which looks at many bytes at
// once: a loop testing each byte costs more (and under the fuzzer's instrumentation, two
// traced comparisons a byte). Each byte is searched at most once for CR and once for LF,
// whichever way the lines end. (string_view::find_first_of calls memchr once per byte.)
class LineEnds {
 public:
  explicit LineEnds(std::string_view text) : text_(text), cr_(find('\r', 0)), lf_(find('\n', 0)) {}

  // Where the line starting at `position` ends: at its CR or LF, or at the end of the text.
  std::size_t from(std::size_t position) {
    if (cr_ < position) cr_ = find('\r', position);
    if (lf_ < position) lf_ = find('\n', position);
    return std::min(cr_, lf_);
  }

 private:
  std::size_t find(char byte, std::size_t position) const {
    if (position >= text_.size()) return text_.size();
    const void* found = std::memchr(text_.data() + position, byte, text_.size() - position);
    return found ? static_cast<std::size_t>(static_cast<const char*>(found) - text_.data()) : text_.size();
  }

  std::string_view text_;
  std::size_t cr_;  // the first CR at or after the last position asked about
  std::size_t lf_;
};

}  // namespace

void UnfoldedLines::feed(std::string_view piece) {
  if (fed_ + piece.size() > ParseLimits::kMaxCalendarBytes) {
    tooLong_ = true;
    piece = piece.substr(0, ParseLimits::kMaxCalendarBytes - fed_);
  }
  fed_ += piece.size();
  if (!started_) {
    const std::size_t wanted = kByteOrderMark.size() - start_.size();
    start_.append(piece.substr(0, wanted));
    piece.remove_prefix(std::min(wanted, piece.size()));
    if (start_.size() < kByteOrderMark.size() && kByteOrderMark.starts_with(start_)) return;
    started_ = true;
    if (start_ == kByteOrderMark) {
      offset_ = start_.size();
    } else {
      lines(start_);
    }
  }
  lines(piece);
}

bool UnfoldedLines::finish() {
  if (!started_ && start_ != kByteOrderMark) lines(start_);
  if (!partial_.empty()) physicalLine(partial_, partialStart_);
  if (open_) sink_.line({logical_, logicalNumber_, cut_, logicalStart_, offset_});
  open_ = false;
  return tooLong_;
}

// Text whose BOM, if any, is gone. A line that runs on past the piece waits in `partial_`,
// which keeps only what a line can use: a byte more than the line limit tells it was cut.
void UnfoldedLines::lines(std::string_view text) {
  const std::size_t origin = offset_;  // of text[0]
  offset_ += text.size();
  std::size_t position = 0;
  if (afterCarriageReturn_ && !text.empty()) {
    if (text[0] == '\n') position = 1;
    afterCarriageReturn_ = false;
  }
  LineEnds ends(text);
  while (position < text.size()) {
    const std::size_t end = ends.from(position);
    const std::string_view rest = text.substr(position, end - position);
    if (partial_.empty()) partialStart_ = origin + position;
    if (end == text.size()) {
      partial_.append(rest.substr(0, kMaxPartial - std::min(kMaxPartial, partial_.size())));
      return;
    }
    if (partial_.empty()) {
      physicalLine(rest, partialStart_);
    } else {
      partial_.append(rest.substr(0, kMaxPartial - std::min(kMaxPartial, partial_.size())));
      physicalLine(partial_, partialStart_);
      partial_.clear();
    }
    position = end + 1;
    if (text[end] == '\r') {
      if (position == text.size()) {
        afterCarriageReturn_ = true;
      } else if (text[position] == '\n') {
        ++position;
      }
    }
  }
}

// One physical line starting at byte `start` of the text, its end already taken off.
void UnfoldedLines::physicalLine(std::string_view physical, std::size_t start) {
  ++number_;
  if (!physical.empty() && (physical[0] == ' ' || physical[0] == '\t')) {
    if (!open_) return;  // nothing to continue
    const std::size_t room = ParseLimits::kMaxLineBytes - logical_.size();
    if (physical.size() - 1 > room) cut_ = true;
    logical_.append(physical.substr(1, room));
    return;
  }
  if (open_) sink_.line({logical_, logicalNumber_, cut_, logicalStart_, start});
  open_ = !physical.empty();
  cut_ = physical.size() > ParseLimits::kMaxLineBytes;
  logical_.assign(physical.substr(0, ParseLimits::kMaxLineBytes));
  logicalNumber_ = number_;
  logicalStart_ = start;
}

}  // namespace CorlaMeetings
