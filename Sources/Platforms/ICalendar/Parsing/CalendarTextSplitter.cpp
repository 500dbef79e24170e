#include "ICalendar/Parsing/CalendarTextSplitter.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <optional>

#include "ICalendar/Parsing/CalendarBlock.h"
#include "ICalendar/Parsing/ParseLimits.h"
#include "ICalendar/Parsing/UnfoldedLines.h"
#include "meetings/PlainText.h"

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

// The texts an invite is made of. libical's parser takes twice as long over them as over
// everything else in an event together, while their values need only their escapes
// undone, which VEventReader has libical's value reader do. So they travel beside the
// block rather than in it.
constexpr std::array<std::string_view, 4> kPlainTextProperties = {"SUMMARY", "LOCATION", "DESCRIPTION", "URL"};

// The value of a text property whose parameters, if any, are a LANGUAGE: Outlook writes
// one on every text. Anything else (VALUE, ENCODING, quoted or broken parameters) may read
// differently, and is left to libical; so is a value of nothing but white space, which
// libical drops with its property. A title is kept as stored, white space and all, after
// any parameters (their quotes may hold colons); only an empty one is left to libical.
std::optional<std::string_view> plainValue(std::string_view name, std::string_view line, std::size_t nameEnd) {
  if (name == "SUMMARY") {
    std::size_t colon = nameEnd;
    for (bool quoted = false; colon < line.size() && (quoted || line[colon] != ':'); ++colon) {
      if (line[colon] == '"') quoted = !quoted;
    }
    if (colon + 1 >= line.size()) return std::nullopt;
    return line.substr(colon + 1);
  }
  const auto colon = line.find(':', nameEnd);
  if (line.find_first_not_of(" \t\n\v\f\r", colon + 1) == std::string_view::npos) return std::nullopt;
  if (colon == nameEnd) return line.substr(colon + 1);
  const std::string_view parameter = line.substr(nameEnd + 1, colon - nameEnd - 1);
  constexpr std::string_view kLanguage = "LANGUAGE=";
  if (parameter.size() <= kLanguage.size() || !startsWithAsciiCaseless(parameter, kLanguage)) return std::nullopt;
  for (char c : parameter.substr(kLanguage.size())) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') return std::nullopt;
  }
  return line.substr(colon + 1);
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

std::string atLine(int line) { return "line " + std::to_string(line); }

class BlockSplitter : public UnfoldedLines::Sink {
 public:
  BlockSplitter(CalendarBlocks& out, CalendarTextSplitter::EventSink onEvent)
      : out_(out), onEvent_(std::move(onEvent)) {}

  void line(const UnfoldedLine& unfolded) override {
    const std::string_view text = unfolded.text;
    const int number = unfolded.number;
    lineStart_ = unfolded.begin;
    lineEnd_ = unfolded.end;
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
    const std::string name = asciiUppercased(text.substr(0, nameEnd));
    if (name == "BEGIN" || name == "END") {
      const std::string component = asciiUppercased(trimmed(text.substr(nameEnd + 1)));
      if (name == "BEGIN") {
        begin(component, number);
      } else {
        end(component);
      }
      return;
    }
    if (!kind_) return;  // calendar properties and strays between components
    if (*kind_ == Kind::Event && nesting_.size() == 1 && isEventProperty(name)) {
      if (unfolded.cut) noteCut(number);
      if (!takePlainText(name, text, nameEnd)) append(text);
    } else if (*kind_ == Kind::TimeZone) {
      if (unfolded.cut) usable_ = false;
      append(text);
    }
  }

  void finish() {
    if (kind_) drop("has no END line (the text ends first)");
  }

 private:
  enum class Kind { Event, TimeZone, Other };
  enum class TextRoute { unseen, taken, inBlock };

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
      block_ = CalendarBlock{number, {}, {}, lineStart_, lineStart_};
      usable_ = true;
      full_ = false;
      takenBytes_ = 0;
      textRoutes_.fill(TextRoute::unseen);
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
    block_.end = lineEnd_;
    if (*kind_ == Kind::Event) {
      onEvent_(std::move(block_));
      block_ = CalendarBlock();
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
    if (!fits(text)) return;
    block_.text.append(text);
    block_.text += '\n';
  }

  // Whether a line of `text` still fits in the block's limit; notes the first that does not.
  bool fits(std::string_view text) {
    const std::size_t limit = *kind_ == Kind::Event ? ParseLimits::kMaxEventBytes : ParseLimits::kMaxTimeZoneBytes;
    if (block_.text.size() + takenBytes_ + text.size() + 1 <= limit) return true;
    if (*kind_ == Kind::TimeZone) usable_ = false;
    if (*kind_ == Kind::Event && !full_) {
      out_.problems.push_back("event at " + atLine(block_.line) + ": larger than " + std::to_string(limit) +
                              " bytes; the rest of its properties dropped");
    }
    full_ = true;
    return false;
  }

  // Takes a plain text property out of the event's block (see kPlainTextProperties). Only
  // the first of a name counts, as when libical reads the block: once it is taken, later
  // ones are dropped; once it was not plain, it and later ones stay in the block.
  bool takePlainText(const std::string& name, std::string_view line, std::size_t nameEnd) {
    const auto found = std::find(kPlainTextProperties.begin(), kPlainTextProperties.end(), name);
    if (found == kPlainTextProperties.end()) return false;
    TextRoute& route = textRoutes_[static_cast<std::size_t>(found - kPlainTextProperties.begin())];
    if (route == TextRoute::taken) return true;
    if (route == TextRoute::inBlock) return false;
    const auto value = plainValue(name, line, nameEnd);
    if (!value) {
      route = TextRoute::inBlock;
      return false;
    }
    route = TextRoute::taken;
    if (!fits(line)) return true;
    takenBytes_ += line.size() + 1;
    block_.plainTexts.emplace_back(name, *value);
    return true;
  }

  // BEGIN and END lines go in whatever the size, so a kept block always stays whole.
  void appendMarker(const std::string& text) {
    block_.text += text;
    block_.text += '\n';
  }

  CalendarBlocks& out_;
  CalendarTextSplitter::EventSink onEvent_;
  bool inCalendar_ = false;
  std::optional<Kind> kind_;          // of the open top-level block, if any
  std::vector<std::string> nesting_;  // its open components, itself first
  CalendarBlock block_;
  bool usable_ = true;
  bool full_ = false;
  std::size_t takenBytes_ = 0;  // of the lines taken out as plain texts
  std::array<TextRoute, kPlainTextProperties.size()> textRoutes_{};
  std::size_t lineStart_ = 0;  // of the line at hand
  std::size_t lineEnd_ = 0;
};

}  // namespace

struct CalendarTextSplitter::State {
  explicit State(EventSink onEvent) : splitter(out, std::move(onEvent)), lines(splitter) {}

  CalendarBlocks out;
  BlockSplitter splitter;
  UnfoldedLines lines;
};

CalendarTextSplitter::CalendarTextSplitter(EventSink onEvent) : state_(std::make_unique<State>(std::move(onEvent))) {}

CalendarTextSplitter::~CalendarTextSplitter() = default;

void CalendarTextSplitter::feed(std::string_view piece) { state_->lines.feed(piece); }

CalendarBlocks CalendarTextSplitter::finish() {
  State& state = *state_;
  const bool tooLong = state.lines.finish();
  state.splitter.finish();
  if (tooLong) {
    state.out.problems.insert(
        state.out.problems.begin(),
        "text longer than " + std::to_string(ParseLimits::kMaxCalendarBytes) + " bytes; the rest is not read");
  }
  return std::move(state.out);
}

}  // namespace CorlaMeetings
