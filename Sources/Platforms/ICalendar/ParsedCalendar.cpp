#include "ICalendar/ParsedCalendar.h"

#include "ICalendar/CalendarBuilder.h"
#include "ICalendar/CalendarText.h"
#include "ICalendar/ParseLimits.h"
#include "ICalendar/ProblemText.h"
#include "ICalendar/TimeZoneResolver.h"
#include "ICalendar/VEventReader.h"

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

ParseResult parseCalendar(std::string_view text) {
  ParseResult result;
  CalendarBlocks blocks = splitCalendarText(text);
  result.problems = std::move(blocks.problems);
  if (!blocks.hasCalendar) {
    capProblems(result.problems);
    return result;
  }

  TimeZoneResolver zones(blocks.timeZones);
  CalendarBuilder builder(zones, result.problems);
  for (const auto& block : blocks.events) {
    EventReading reading = readVEvent(block);
    if (auto* event = std::get_if<WrittenEvent>(&reading.event)) {
      for (const auto& note : reading.notes) result.problems.push_back(subjectOf(block, event->uid) + note);
      builder.add(std::move(*event));
    } else {
      result.problems.push_back(subjectOf(block, std::nullopt) + std::get<std::string>(reading.event) + "; dropped");
    }
  }
  result.calendar = builder.build();
  result.problems.insert(result.problems.end(), zones.problems().begin(), zones.problems().end());
  capProblems(result.problems);
  return result;
}

}  // namespace CorlaMeetings
