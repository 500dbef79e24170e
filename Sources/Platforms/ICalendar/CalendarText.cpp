#include "ICalendar/CalendarText.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>

#include "ICalendar/ParseLimits.h"

namespace CorlaMeetings {

namespace {

// Deeper nesting than this is no calendar; the block is dropped.
constexpr std::size_t kMaxNesting = 32;
constexpr std::size_t kMaxNameLength = 64;

// The properties of a VEVENT that the adapter reads.
constexpr std::array<std::string_view, 13> kEventProperties = {
    "UID",           "DTSTART",  "DTEND",   "DURATION", "RRULE",       "RDATE", "EXDATE",
    "RECURRENCE-ID", "SEQUENCE", "SUMMARY", "LOCATION", "DESCRIPTION", "URL"};

bool isEventProperty(std::string_view name) {
  return std::find(kEventProperties.begin(), kEventProperties.end(), name) != kEventProperties.end();
}

std::string upperAscii(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// Where the line starting at `position` ends: at its CR or LF, or at the end of the text.
// (string_view::find_first_of calls memchr once per byte, slow for megabytes.)
std::size_t lineEnd(std::string_view text, std::size_t position) {
  while (position < text.size() && text[position] != '\n' && text[position] != '\r') ++position;
  return position;
}

std::string atLine(int line) {
  return "line " + std::to_string(line);
}

class BlockSplitter {
 public:
  explicit BlockSplitter(CalendarBlocks& out) : out_(out) {}

  // One unfolded line; `cut` when it was longer than the line limit.
  void line(std::string_view text, int number, bool cut) {
    if (text.empty()) return;
    if (text.find('\0') != std::string_view::npos) {
      out_.problems.push_back(atLine(number) + ": holds a NUL byte; line dropped");
      return;
    }
    std::size_t nameEnd = 0;
    while (nameEnd < text.size() && nameEnd <= kMaxNameLength && text[nameEnd] != ';' && text[nameEnd] != ':') {
      ++nameEnd;
    }
    if (nameEnd == 0 || nameEnd >= text.size() || nameEnd > kMaxNameLength ||
        text.find(':', nameEnd) == std::string_view::npos) {
      return;  // not a content line; libical would only note it as an error
    }
    const std::string name = upperAscii(text.substr(0, nameEnd));
    if (name == "BEGIN" || name == "END") {
      const std::string component = upperAscii(trimmed(text.substr(nameEnd + 1)));
      if (name == "BEGIN") {
        begin(component, number);
      } else {
        end(component);
      }
      return;
    }
    if (!kind_) return;  // calendar properties and strays between components
    if (*kind_ == Kind::Event && nesting_.size() == 1 && isEventProperty(name)) {
      if (cut) noteCut(number);
      append(text);
    } else if (*kind_ == Kind::TimeZone) {
      if (cut) usable_ = false;
      append(text);
    }
  }

  void finish() {
    if (kind_) drop("has no END line (the text ends first)");
  }

 private:
  enum class Kind { Event, TimeZone, Other };

  void begin(const std::string& component, int number) {
    if (!inCalendar_) {
      if (component == "VCALENDAR") {
        inCalendar_ = true;
        out_.hasCalendar = true;
      }
      return;
    }
    if (!kind_) {
      if (component == "VCALENDAR") return;  // a calendar inside ours: read its events too
      kind_ = component == "VEVENT" ? Kind::Event : component == "VTIMEZONE" ? Kind::TimeZone : Kind::Other;
      nesting_.assign(1, component);
      block_ = CalendarBlock{number, {}};
      usable_ = true;
      full_ = false;
      if (*kind_ != Kind::Other) appendMarker("BEGIN:" + component);
      return;
    }
    if (component == "VEVENT" || component == "VTIMEZONE" || component == "VCALENDAR") {
      // A top-level component cannot open inside another: the open one lost its END.
      drop("has no END line");
      begin(component, number);
      return;
    }
    if (nesting_.size() >= kMaxNesting) {
      drop("nests components too deeply");
      return;
    }
    nesting_.push_back(component);
    if (*kind_ == Kind::TimeZone) appendMarker("BEGIN:" + component);
  }

  void end(const std::string& component) {
    if (!kind_) {
      if (component == "VCALENDAR") inCalendar_ = false;
      return;
    }
    const auto open = std::find(nesting_.rbegin(), nesting_.rend(), component);
    if (open == nesting_.rend()) {
      if (component == "VCALENDAR") {
        drop("has no END line");
        inCalendar_ = false;
      }
      return;  // a stray END: ignored
    }
    // Sub-components left open are closed with it, as a lenient reader would.
    const std::size_t keep = nesting_.size() - static_cast<std::size_t>(open - nesting_.rbegin()) - 1;
    while (nesting_.size() > keep) {
      if (*kind_ == Kind::TimeZone || nesting_.size() == 1) appendMarker("END:" + nesting_.back());
      nesting_.pop_back();
    }
    if (!nesting_.empty()) return;
    if (*kind_ == Kind::Event) {
      out_.events.push_back(std::move(block_));
    } else if (*kind_ == Kind::TimeZone) {
      if (usable_) {
        out_.timeZones.push_back(std::move(block_));
      } else {
        out_.problems.push_back("time zone at " + atLine(block_.line) + ": too large or has cut lines; not used");
      }
    }
    kind_.reset();
  }

  void drop(const std::string& why) {
    if (*kind_ != Kind::Other) {
      const char* what = *kind_ == Kind::Event ? "event at " : "time zone at ";
      out_.problems.push_back(what + atLine(block_.line) + ": " + why + "; dropped");
    }
    kind_.reset();
    nesting_.clear();
  }

  void noteCut(int number) {
    out_.problems.push_back("event at " + atLine(block_.line) + ": " + atLine(number) + " cut to " +
                            std::to_string(ParseLimits::kMaxLineBytes) + " bytes");
  }

  void append(std::string_view text) {
    const std::size_t limit = *kind_ == Kind::Event ? ParseLimits::kMaxEventBytes : ParseLimits::kMaxTimeZoneBytes;
    if (block_.text.size() + text.size() + 1 > limit) {
      if (*kind_ == Kind::TimeZone) usable_ = false;
      if (*kind_ == Kind::Event && !full_) {
        out_.problems.push_back("event at " + atLine(block_.line) + ": larger than " + std::to_string(limit) +
                                " bytes; the rest of its properties dropped");
      }
      full_ = true;
      return;
    }
    block_.text.append(text);
    block_.text += '\n';
  }

  // BEGIN and END lines go in whatever the size, so a kept block always stays whole.
  void appendMarker(const std::string& text) {
    block_.text += text;
    block_.text += '\n';
  }

  CalendarBlocks& out_;
  bool inCalendar_ = false;
  std::optional<Kind> kind_;          // of the open top-level block, if any
  std::vector<std::string> nesting_;  // its open components, itself first
  CalendarBlock block_;
  bool usable_ = true;
  bool full_ = false;
};

}  // namespace

CalendarBlocks splitCalendarText(std::string_view text) {
  CalendarBlocks out;
  if (text.size() > ParseLimits::kMaxCalendarBytes) {
    out.problems.push_back("text longer than " + std::to_string(ParseLimits::kMaxCalendarBytes) +
                           " bytes; the rest is not read");
    text = text.substr(0, ParseLimits::kMaxCalendarBytes);
  }
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);

  BlockSplitter splitter(out);
  std::string logical;
  int logicalNumber = 0;
  bool open = false;  // `logical` holds a line that continuation lines may extend
  bool cut = false;
  int number = 0;
  std::size_t position = 0;
  while (position < text.size()) {
    std::size_t end = lineEnd(text, position);
    const std::string_view physical = text.substr(position, end - position);
    position = end;
    if (position < text.size()) position += text.compare(position, 2, "\r\n") == 0 ? 2 : 1;
    ++number;

    if (!physical.empty() && (physical[0] == ' ' || physical[0] == '\t')) {
      if (!open) continue;  // nothing to continue
      const std::size_t room = ParseLimits::kMaxLineBytes - logical.size();
      if (physical.size() - 1 > room) cut = true;
      logical.append(physical.substr(1, room));
      continue;
    }
    if (open) splitter.line(logical, logicalNumber, cut);
    open = !physical.empty();
    cut = physical.size() > ParseLimits::kMaxLineBytes;
    logical.assign(physical.substr(0, ParseLimits::kMaxLineBytes));
    logicalNumber = number;
  }
  if (open) splitter.line(logical, logicalNumber, cut);
  splitter.finish();
  return out;
}

}  // namespace CorlaMeetings
