#include "ICalendar/ProblemLines.h"

#include <cstdio>

namespace CorlaMeetings {

namespace {

constexpr std::size_t kMaxReportBytes = 1000;

}  // namespace

std::string printableProblemLine(std::string_view text) {
  std::string out;
  std::size_t i = 0;
  for (; i < text.size() && out.size() < kMaxReportBytes; ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    bool c1Control = c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                     static_cast<unsigned char>(text[i + 1]) <= 0x9F;
    if (c < 0x20 || c == 0x7F || c1Control) {
      out += '?';
      if (c1Control) ++i;
    } else {
      out += static_cast<char>(c);
    }
  }
  if (i < text.size()) {
    while (!out.empty() && (static_cast<unsigned char>(out.back()) & 0xC0) == 0x80) out.pop_back();
    if (!out.empty() && static_cast<unsigned char>(out.back()) >= 0xC0) out.pop_back();
    out += "…";
  }
  return out;
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
