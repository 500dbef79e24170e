#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unicode/unistr.h>

#include <chrono>
#include <filesystem>

#include "Platforms/ICalendar/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

std::vector<std::string> corpusFiles() {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(VELTO_CORPUS_DIR)) {
    if (entry.is_regular_file() && entry.path().extension() == ".ics") {
      files.push_back(std::filesystem::relative(entry.path(), VELTO_CORPUS_DIR).string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string corpusText(const std::string& file) {
  return fileText(std::string(VELTO_CORPUS_DIR) + "/" + file);
}

// A line that is BEGIN:VCALENDAR, in any case, with nothing but blanks after it (and a
// byte-order mark before it on the first line).
bool hasCalendarLine(std::string text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
  std::size_t position = 0;
  while (position <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", position);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(position, end - position);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
    for (char& c : line) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (line == "BEGIN:VCALENDAR") return true;
    position = end + 1;
  }
  return false;
}

bool isValidUtf8(const std::string& text) {
  std::string roundTrip;
  icu::UnicodeString::fromUTF8(text).toUTF8String(roundTrip);
  return roundTrip == text;
}

class CorpusFile : public ::testing::TestWithParam<std::string> {};

TEST_P(CorpusFile, ParsesAndAnswersWindows) {
  const std::string text = corpusText(GetParam());
  const ParseResult result = parseCalendar(text);
  EXPECT_EQ(result.calendar != nullptr, hasCalendarLine(text));
  if (!result.calendar) return;

  const std::pair<Instant, Instant> windows[] = {
      {utcTime(2024, 1, 1), utcTime(2024, 1, 5)},
      {berlin(2024, 10, 25), berlin(2024, 10, 29)},  // Europe's clock change
      {berlin(2020, 3, 6), berlin(2020, 3, 10)},     // America's
      {utcTime(1990, 1, 1), utcTime(2030, 1, 1)},
  };
  for (const auto& [start, end] : windows) {
    const auto occurrences = result.calendar->occurrences(start, end);
    for (const auto& occurrence : occurrences) {
      EXPECT_LE(occurrence->startDate, occurrence->endDate);
      EXPECT_TRUE(occurrence->startDate < end && (occurrence->endDate > start || occurrence->startDate >= start));
      for (const auto& field :
           {occurrence->title, occurrence->notes, occurrence->location, occurrence->URL, occurrence->eventIdentifier}) {
        if (field) {
          EXPECT_TRUE(isValidUtf8(*field));
        }
      }
    }
  }
}

std::string testNameOf(const ::testing::TestParamInfo<std::string>& info) {
  std::string name;
  for (char c : info.param) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusFile, ::testing::ValuesIn(corpusFiles()), testNameOf);

}  // namespace
}  // namespace CorlaMeetings::Testing
