#include "ICalendar/Text/ProblemLines.h"

#include <algorithm>
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

std::string quotedForProblem(std::string_view text) {
  constexpr std::size_t kMaxShown = 60;
  std::string shown = "'";
  for (std::size_t i = 0; i < text.size() && i < kMaxShown; ++i) {
    const char c = text[i];
    shown += c >= 0x20 && c < 0x7f ? c : '?';
  }
  if (text.size() > kMaxShown) shown += "...";
  shown += "'";
  return shown;
}

void appendParseProblems(const std::vector<std::string>& parseProblems, std::string_view prefix, std::size_t limit,
                         std::vector<std::string>& out) {
  std::size_t shown = std::min(limit, parseProblems.size());
  for (std::size_t i = 0; i < shown; ++i) out.push_back(std::string(prefix) + parseProblems[i]);
  if (shown < parseProblems.size()) {
    out.push_back(std::string(prefix) + "… and " + std::to_string(parseProblems.size() - shown) + " more problems");
  }
}

}  // namespace CorlaMeetings
