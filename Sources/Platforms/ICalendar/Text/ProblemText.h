#pragma once

#include <string>
#include <string_view>

namespace CorlaMeetings {

// Untrusted text (a UID, a zone name) made fit for a problem line on stderr: printable
// ASCII only, in quotes, at most a few dozen characters.
inline std::string quotedForProblem(std::string_view text) {
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

}  // namespace CorlaMeetings
