#include "Platforms/ICalendar/Corpus/CorpusExpectations.h"

#include <unicode/calendar.h>
#include <unicode/timezone.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

namespace CorlaMeetings::Testing {
namespace {

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string> fieldsOf(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t from = 0;
  for (std::size_t bar; (bar = line.find(" | ", from)) != std::string::npos; from = bar + 3) {
    fields.push_back(trimmed(line.substr(from, bar - from)));
  }
  fields.push_back(trimmed(line.substr(from)));
  return fields;
}

// "2024-04-26 14:00" or "2019-01-17 18:00:25", wall-clock time in `zone`.
std::optional<Instant> instantOf(const std::string& text, const icu::TimeZone& zone) {
  int year, month, day, hour, minute, second = 0;
  char end = 0;
  const int read = std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d%c", &year, &month, &day, &hour, &minute, &second, &end);
  if (read != 5 && read != 6) return std::nullopt;
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(zone.clone(), status));
  calendar->clear();
  calendar->set(year, month - 1, day, hour, minute, second);
  const UDate millis = calendar->getTime(status);
  if (U_FAILURE(status)) return std::nullopt;
  return Instant(std::chrono::milliseconds(static_cast<long long>(millis)));
}

std::unique_ptr<icu::TimeZone> knownZone(const std::string& id) {
  std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(id)));
  icu::UnicodeString readBack;
  if (zone->getID(readBack) == icu::UnicodeString(UCAL_UNKNOWN_ZONE_ID)) return nullptr;
  return zone;
}

void read(const std::filesystem::path& path, CorpusExpectations& all) {
  std::vector<CorpusExpectation>& expectations = all.blocks;
  std::ifstream input(path);
  std::unique_ptr<icu::TimeZone> zone;
  std::string line;
  for (int number = 1; std::getline(input, line); ++number) {
    const std::string where = path.filename().string() + ":" + std::to_string(number);
    line = trimmed(line);
    if (line.empty() || line.starts_with('#')) continue;
    auto fail = [&](const char* why) { all.errors.push_back(where + ": " + why + ": " + line); };
    if (line.starts_with("file ")) {
      expectations.push_back({.where = where, .file = trimmed(line.substr(5))});
      continue;
    }
    if (expectations.empty()) {
      fail("no file yet");
      continue;
    }
    CorpusExpectation& block = expectations.back();
    if (line.starts_with("zone ")) {
      zone = knownZone(trimmed(line.substr(5)));
      if (!zone) fail("unknown zone");
    } else if (line.starts_with("problem ")) {
      block.problems.push_back(trimmed(line.substr(8)));
    } else if (line == "no calendar") {
      block.noCalendar = true;
    } else if (!zone) {
      fail("a time before any zone");
    } else if (line.starts_with("window ")) {
      const std::string bounds = trimmed(line.substr(7));
      const auto split = bounds.find(' ', bounds.find(' ') + 1);
      const auto from = instantOf(bounds.substr(0, split), *zone);
      const auto to = split == std::string::npos ? std::nullopt : instantOf(trimmed(bounds.substr(split)), *zone);
      if (from && to) {
        block.windows.push_back({.where = where, .from = *from, .to = *to});
      } else {
        fail("unreadable window");
      }
    } else {
      const auto fields = fieldsOf(line);
      const bool allDay = fields.size() == 4 && fields[3] == "all-day";
      const auto start = instantOf(fields[0], *zone);
      const auto end = fields.size() > 1 ? instantOf(fields[1], *zone) : std::nullopt;
      if (block.windows.empty() || !start || !end || fields.size() < 3 || (fields.size() == 4 && !allDay) ||
          fields.size() > 4) {
        fail("unreadable occurrence");
        continue;
      }
      // A title with white space around it is written in double quotes.
      const std::string& title = fields[2];
      const bool quoted = title.size() >= 2 && title.front() == '"' && title.back() == '"';
      block.windows.back().seen.push_back({quoted ? title.substr(1, title.size() - 2) : title, *start, *end, allDay});
    }
  }
}

}  // namespace

const CorpusExpectations& corpusExpectations() {
  static const CorpusExpectations all = [] {
    std::vector<std::filesystem::path> paths;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(VELTO_FIXTURES_DIR) + "/corpus-expectations")) {
      if (entry.path().extension() == ".txt") paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    CorpusExpectations found;
    for (const auto& path : paths) read(path, found);
    return found;
  }();
  return all;
}

}  // namespace CorlaMeetings::Testing
