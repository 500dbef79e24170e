#include "ICalendar/Text/ProblemLines.h"

#include <cstdio>

#include "meetings/PlainText.h"

namespace CorlaMeetings {

namespace {

constexpr std::size_t kMaxReportBytes = 1000;

}  // namespace

std::string printableProblemLine(std::string_view text) {
  // A byte gives at most one byte of the line, a C1 control's two give one: this much of
  // the text fills it.
  std::string out = singleLine(text.substr(0, 2 * kMaxReportBytes + 2), '?');
  if (out.size() <= kMaxReportBytes) return out;
  out.resize(kMaxReportBytes);
  while (!out.empty() && (static_cast<unsigned char>(out.back()) & 0xC0) == 0x80) out.pop_back();
  if (!out.empty() && static_cast<unsigned char>(out.back()) >= 0xC0) out.pop_back();
  return out + "…";
}

void reportProblemLine(std::string_view line, const std::function<void(std::string_view line)>& sink) {
  std::string text = printableProblemLine(line);
  if (sink) {
    sink(text);
  } else {
    std::fprintf(stderr, "velto: %s\n", text.c_str());
  }
}

}  // namespace CorlaMeetings
