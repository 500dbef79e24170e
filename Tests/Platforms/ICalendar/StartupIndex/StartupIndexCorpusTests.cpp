#include "ICalendar/Sources/SourceReader.h"
#include "Platforms/ICalendar/Support/CorpusFiles.h"
#include "Platforms/ICalendar/Support/StoreFixture.h"

namespace CorlaMeetings::Testing {
namespace {

// Every field of every occurrence, in the order given.
std::vector<std::string> described(const ParsedCalendar& calendar, Instant start, Instant end) {
  std::vector<std::string> lines;
  for (const auto& event : calendar.occurrences(start, end)) {
    std::string line = std::to_string(event->startDate.time_since_epoch().count()) + " " +
                       std::to_string(event->endDate.time_since_epoch().count()) + (event->isAllDay ? " all-day" : "");
    for (const auto& field : {event->title, event->eventIdentifier, event->location, event->notes, event->URL}) {
      line += " | " + field.value_or("-");
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

class CorpusStartup : public ::testing::TestWithParam<std::string> {};

// Each calendar read at start-up through its index (the bytes of its events in reach, or
// nothing when none reaches) answers as the calendar read whole.
TEST_P(CorpusStartup, AnswersAsTheWholeCalendar) {
  const std::string path = corpusPath(GetParam());
  SourceReader whole(path, {});
  whole.read();
  if (!whole.calendar()) return;  // no calendar in it: nothing to index

  Testing::TemporaryFolder folder;
  const StartupIndexOptions options{folder / "cache", "this build", std::chrono::seconds(0), 0};
  SourceReader first(path, {}, options);
  first.read();
  ASSERT_EQ(first.saveIndex(), "");
  for (const auto& [start, end] : corpusWindows()) {
    SourceReader startup(path, {}, options);
    startup.read({}, TimeReach::between(start, end));
    ASSERT_NE(startup.calendar(), nullptr);
    EXPECT_EQ(described(*startup.calendar(), start, end), described(*whole.calendar(), start, end));
  }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusStartup, ::testing::ValuesIn(corpusFiles()), corpusTestName);

}  // namespace
}  // namespace CorlaMeetings::Testing
