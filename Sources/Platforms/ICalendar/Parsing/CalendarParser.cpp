#include "ICalendar/Parsing/CalendarParser.h"

#include "ICalendar/Parsing/CalendarBlock.h"
#include "ICalendar/Parsing/CalendarBuilder.h"
#include "ICalendar/Parsing/CalendarTextSplitter.h"
#include "ICalendar/Parsing/ParseLimits.h"
#include "ICalendar/Parsing/VEventReader.h"
#include "ICalendar/StartupIndex/CalendarLayout.h"
#include "ICalendar/Text/ProblemLines.h"
#include "ICalendar/Zones/TimeZoneResolver.h"

namespace CorlaMeetings {

namespace {

std::string subjectOf(const CalendarBlock& block, const std::optional<std::string>& uid) {
  std::string subject = "event ";
  if (uid) subject += quotedForProblem(*uid) + " ";
  return subject + "at line " + std::to_string(block.line) + ": ";
}

void capProblems(std::vector<std::string>& problems) {
  if (problems.size() <= ParseLimits::kMaxProblems) return;
  const std::size_t more = problems.size() - ParseLimits::kMaxProblems;
  problems.resize(ParseLimits::kMaxProblems);
  problems.push_back("... and " + std::to_string(more) + " more");
}

}  // namespace

struct CalendarParser::State {
  explicit State(LayoutRecorder* recorder) : splitter([this](CalendarBlock block) { read(block); }), layout(recorder) {
    builder.setObserver(layout);
  }

  void read(const CalendarBlock& block) {
    EventReading reading = readVEvent(block);
    if (auto* event = std::get_if<WrittenEvent>(&reading.event)) {
      for (const auto& note : reading.notes) notes.push_back(subjectOf(block, event->uid) + note);
      if (layout) layout->eventBlock(block, *event);
      builder.add(std::move(*event));
    } else {
      notes.push_back(subjectOf(block, std::nullopt) + std::get<std::string>(reading.event) + "; dropped");
    }
  }

  CalendarTextSplitter splitter;
  CalendarBuilder builder;
  std::vector<std::string> notes;  // on the events, which follow the splitter's problems
  LayoutRecorder* layout;
};

CalendarParser::CalendarParser(LayoutRecorder* layout) : state_(std::make_unique<State>(layout)) {}

CalendarParser::~CalendarParser() = default;

void CalendarParser::feed(std::string_view piece) { state_->splitter.feed(piece); }

ParseResult CalendarParser::finish() {
  ParseResult result;
  CalendarBlocks blocks = state_->splitter.finish();
  result.problems = std::move(blocks.problems);
  if (!blocks.hasCalendar) {
    capProblems(result.problems);
    return result;
  }
  result.problems.insert(result.problems.end(), std::make_move_iterator(state_->notes.begin()),
                         std::make_move_iterator(state_->notes.end()));

  if (state_->layout) state_->layout->timeZoneBlocks(blocks.timeZones);
  TimeZoneResolver zones(blocks.timeZones);
  result.calendar = state_->builder.build(zones, result.problems);
  result.problems.insert(result.problems.end(), zones.problems().begin(), zones.problems().end());
  capProblems(result.problems);
  return result;
}

ParseResult parseCalendar(std::string_view text) {
  CalendarParser parser;
  parser.feed(text);
  return parser.finish();
}

}  // namespace CorlaMeetings
