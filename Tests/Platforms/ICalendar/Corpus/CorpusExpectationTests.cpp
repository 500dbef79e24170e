#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "ICalendar/Parsing/CalendarParser.h"
#include "Platforms/ICalendar/Corpus/CorpusExpectations.h"

namespace CorlaMeetings::Testing {
namespace {

using ::testing::ElementsAreArray;

class CorpusWindows : public ::testing::TestWithParam<CorpusExpectation> {};

TEST_P(CorpusWindows, HoldWhatTheFileSays) {
  const CorpusExpectation& expected = GetParam();
  SCOPED_TRACE(expected.where);
  const ParseResult result = parseCalendar(fileText(std::string(VELTO_CORPUS_DIR) + "/" + expected.file));
  for (const std::string& problem : expected.problems) {
    EXPECT_THAT(result.problems, Contains(HasSubstr(problem)));
  }
  if (expected.noCalendar) {
    EXPECT_EQ(result.calendar, nullptr);
    return;
  }
  ASSERT_NE(result.calendar, nullptr);
  for (const ExpectedWindow& window : expected.windows) {
    SCOPED_TRACE(window.where);
    EXPECT_THAT(seenIn(*result.calendar, window.from, window.to), ElementsAreArray(window.seen));
  }
}

std::string nameOf(const ::testing::TestParamInfo<CorpusExpectation>& info) {
  std::string name;
  for (char c : info.param.file) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusWindows, ::testing::ValuesIn(corpusExpectations().blocks), nameOf);

TEST(CorpusExpectationFiles, AreReadableAndNameEachFileOnce) {
  EXPECT_THAT(corpusExpectations().errors, IsEmpty());
  std::set<std::string> files;
  for (const auto& block : corpusExpectations().blocks) {
    EXPECT_TRUE(files.insert(block.file).second) << block.where << ": " << block.file << " again";
    EXPECT_TRUE(block.noCalendar || !block.windows.empty()) << block.where << ": nothing to check";
  }
}

}  // namespace
}  // namespace CorlaMeetings::Testing
