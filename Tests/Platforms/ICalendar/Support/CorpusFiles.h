#pragma once

// The corpus of real producers' calendars beside the repository, read in place.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "Platforms/ICalendar/Support/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {

// The .ics files under the corpus folder, relative to it, sorted.
inline std::vector<std::string> corpusFiles() {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(VELTO_CORPUS_DIR)) {
    if (entry.is_regular_file() && entry.path().extension() == ".ics") {
      files.push_back(std::filesystem::relative(entry.path(), VELTO_CORPUS_DIR).string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

inline std::string corpusPath(const std::string& file) { return std::string(VELTO_CORPUS_DIR) + "/" + file; }

// The windows each calendar of the corpus is asked about.
inline std::vector<std::pair<Instant, Instant>> corpusWindows() {
  return {
      {utcTime(2024, 1, 1), utcTime(2024, 1, 5)},
      {berlin(2024, 10, 25), berlin(2024, 10, 29)},  // Europe's clock change
      {berlin(2020, 3, 6), berlin(2020, 3, 10)},     // America's
      {utcTime(1990, 1, 1), utcTime(2030, 1, 1)},
  };
}

// A test name from a corpus file's path.
inline std::string corpusTestName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name;
  for (char c : info.param) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

}  // namespace CorlaMeetings::Testing
