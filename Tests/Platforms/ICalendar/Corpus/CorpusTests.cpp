#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unicode/unistr.h>

#include <chrono>
#include <filesystem>

#include "ICalendar/Parsing/CalendarParser.h"
#include "Platforms/ICalendar/Support/CorpusFiles.h"
#include "Platforms/ICalendar/Support/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

std::string corpusText(const std::string& file) { return fileText(corpusPath(file)); }

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

  for (const auto& [start, end] : corpusWindows()) {
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

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusFile, ::testing::ValuesIn(corpusFiles()), corpusTestName);

}  // namespace
}  // namespace CorlaMeetings::Testing
