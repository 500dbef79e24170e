// What the parser makes of windows of calendar files, printed for compare-occurrences to
// hold against another implementation. Reads jobs from stdin, one a line:
//   FILE <tab> START <tab> END      the window, in seconds since the epoch
// and answers each with "= COUNT", then one line per occurrence:
//   START END ALLDAY ID TITLE       seconds since the epoch; 0 or 1; the identifier and the
//                                   title as JSON strings (or null)
// Floating times are read in TZ. A file is parsed once, however many windows ask for it.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

#include "ICalendar/Parsing/CalendarParser.h"
#include "ICalendar/Query/ParsedCalendar.h"

using namespace CorlaMeetings;

namespace {

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string jsonOrNull(const std::optional<std::string>& text) { return text ? jsonString(*text) : "null"; }

long long secondsOf(Instant t) { return std::chrono::floor<std::chrono::seconds>(t.time_since_epoch()).count(); }

}  // namespace

int main() {
  std::map<std::string, std::shared_ptr<const ParsedCalendar>> calendars;
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream fields(line);
    std::string path;
    long long from = 0, to = 0;
    if (!std::getline(fields, path, '\t') || !(fields >> from >> to)) {
      std::cerr << "calendar-occurrences: unreadable job: " << line << "\n";
      return 2;
    }
    auto [calendar, isNew] = calendars.try_emplace(path);
    if (isNew) {
      std::ostringstream text;
      text << std::ifstream(path, std::ios::binary).rdbuf();
      calendar->second = parseCalendar(text.str()).calendar;
    }
    if (!calendar->second) {
      std::cout << "= 0\n";
      continue;
    }
    const auto found =
        calendar->second->occurrences(Instant(std::chrono::seconds(from)), Instant(std::chrono::seconds(to)));
    std::cout << "= " << found.size() << "\n";
    for (const auto& occurrence : found) {
      std::cout << secondsOf(occurrence->startDate) << " " << secondsOf(occurrence->endDate) << " "
                << occurrence->isAllDay << " " << jsonOrNull(occurrence->eventIdentifier) << " "
                << jsonOrNull(occurrence->title) << "\n";
    }
  }
  return 0;
}
