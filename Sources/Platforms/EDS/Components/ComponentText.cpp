#include "EDS/Components/ComponentText.h"

#include <algorithm>

#include "meetings/PlainText.h"

namespace CorlaMeetings {

namespace {

constexpr std::size_t kMaxNames = 32;
constexpr std::size_t kMaxNameBytes = 256;

// The parameters of one unfolded content line: the part before its first unquoted colon.
void collectNames(std::string_view line, std::vector<std::string>& names) {
  bool quoted = false;
  for (std::size_t i = 0; i < line.size() && names.size() < kMaxNames; ++i) {
    char c = line[i];
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == ':') return;
    if (c != ';' || !startsWithAsciiCaseless(line.substr(i + 1), "TZID=")) continue;
    std::size_t start = i + 1 + 5;
    std::string name;
    if (start < line.size() && line[start] == '"') {
      std::size_t end = line.find('"', start + 1);
      if (end == std::string_view::npos) return;
      name = line.substr(start + 1, end - start - 1);
    } else {
      std::size_t end = line.find_first_of(";:", start);
      name = line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    }
    if (!name.empty() && name.size() <= kMaxNameBytes && std::find(names.begin(), names.end(), name) == names.end()) {
      names.push_back(std::move(name));
    }
  }
}

}  // namespace

std::vector<std::string> referencedTimeZones(std::string_view text) {
  std::vector<std::string> names;
  std::string line;
  std::size_t position = 0;
  while (position < text.size() && names.size() < kMaxNames) {
    std::size_t end = text.find('\n', position);
    if (end == std::string_view::npos) end = text.size();
    std::string_view piece = text.substr(position, end - position);
    if (!piece.empty() && piece.back() == '\r') piece.remove_suffix(1);
    position = end + 1;
    bool continuation = !piece.empty() && (piece.front() == ' ' || piece.front() == '\t');
    if (continuation) {
      if (line.size() < 4 * kMaxNameBytes) line.append(piece.substr(1));  // names sit near a line's start
      continue;
    }
    collectNames(line, names);
    line.assign(piece.substr(0, 4 * kMaxNameBytes));
  }
  collectNames(line, names);
  return names;
}

bool recurs(std::string_view text) {
  std::size_t position = 0;
  while (position < text.size()) {
    std::string_view line = text.substr(position, text.find('\n', position) - position);
    if (startsWithAsciiCaseless(line, "RRULE") || startsWithAsciiCaseless(line, "RDATE")) {
      std::string_view rest = line.substr(5);
      if (!rest.empty() && (rest.front() == ':' || rest.front() == ';')) return true;
    }
    std::size_t end = text.find('\n', position);
    if (end == std::string_view::npos) break;
    position = end + 1;
  }
  return false;
}

std::string calendarTextOf(const std::vector<const std::string*>& timeZones,
                           const std::vector<const std::string*>& components) {
  std::size_t size = 64;
  for (const auto* part : timeZones) size += part->size() + 2;
  for (const auto* part : components) size += part->size() + 2;
  std::string text;
  text.reserve(size);
  text += "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
  auto append = [&text](const std::string* part) {
    text += *part;
    if (!part->empty() && part->back() != '\n') text += "\r\n";
  };
  std::for_each(timeZones.begin(), timeZones.end(), append);
  std::for_each(components.begin(), components.end(), append);
  text += "END:VCALENDAR\r\n";
  return text;
}

}  // namespace CorlaMeetings
