#pragma once

#include <string>
#include <vector>

#include "Platforms/ICalendar/Support/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {

// What a window of a corpus file holds, as written down in Tests/fixtures/corpus-expectations
// (the README there has the format).
struct ExpectedWindow {
  std::string where;  // "google.txt:12", for failure messages
  Instant from;
  Instant to;
  std::vector<Seen> seen;
};

struct CorpusExpectation {
  std::string where;
  std::string file;  // relative to the corpus folder
  bool noCalendar = false;
  std::vector<std::string> problems;  // each must be part of some problem reported
  std::vector<ExpectedWindow> windows;
};

inline void PrintTo(const CorpusExpectation& expectation, std::ostream* out) {
  *out << expectation.file << " (" << expectation.where << ")";
}

struct CorpusExpectations {
  std::vector<CorpusExpectation> blocks;  // of every file, in file order
  std::vector<std::string> errors;        // lines that could not be read, with their places
};

// Read once, on first use.
const CorpusExpectations& corpusExpectations();

}  // namespace CorlaMeetings::Testing
