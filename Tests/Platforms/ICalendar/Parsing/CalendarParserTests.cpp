// A calendar read in pieces, as files are, must come out as the same text read at once,
// wherever the pieces end: inside a CRLF, a byte-order mark, a folded or an overlong line.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "ICalendar/Parsing/CalendarParser.h"
#include "ICalendar/Parsing/ParseLimits.h"
#include "Platforms/ICalendar/Support/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

// Everything a parse gives, as lines that compare and print well.
std::vector<std::string> outcomeOf(const ParseResult& result) {
  std::vector<std::string> lines;
  lines.push_back(result.calendar ? "calendar of " + std::to_string(result.calendar->eventCount()) : "no calendar");
  for (const auto& problem : result.problems) lines.push_back("problem: " + problem);
  if (!result.calendar) return lines;
  for (const auto& event : result.calendar->occurrences(utcTime(1990, 1, 1), utcTime(2040, 1, 1))) {
    lines.push_back(event->title.value_or("<none>") + " | " + event->notes.value_or("<none>") + " | " +
                    event->location.value_or("<none>") + " | " +
                    std::to_string(event->startDate.time_since_epoch().count()) + " | " +
                    std::to_string(event->endDate.time_since_epoch().count()) + " | " +
                    event->eventIdentifier.value_or("<none>"));
  }
  std::sort(lines.begin() + 1 + static_cast<std::ptrdiff_t>(result.problems.size()), lines.end());
  return lines;
}

ParseResult parsedInPieces(std::string_view text, std::size_t pieceSize) {
  CalendarParser parser;
  for (std::size_t at = 0; at < text.size(); at += pieceSize) parser.feed(text.substr(at, pieceSize));
  return parser.finish();
}

void expectSameInPieces(const std::string& text, const std::vector<std::size_t>& pieceSizes) {
  const auto whole = outcomeOf(parseCalendar(text));
  for (std::size_t size : pieceSizes) EXPECT_EQ(outcomeOf(parsedInPieces(text, size)), whole) << "pieces of " << size;
}

TEST(CalendarParser, PiecesOfAnySizeGiveTheCalendarOfTheWholeText) {
  std::vector<std::filesystem::path> files;
  for (const char* folder : {VELTO_FIXTURES_DIR "/ics", VELTO_CORPUS_DIR}) {
    if (!std::filesystem::exists(folder)) continue;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
      if (entry.is_regular_file() && entry.path().extension() == ".ics") files.push_back(entry.path());
    }
  }
  ASSERT_FALSE(files.empty());
  for (const auto& file : files) {
    SCOPED_TRACE(file.string());
    expectSameInPieces(fileText(file.string()), {1, 3, 4096});
  }
}

TEST(CalendarParser, LineEndsAndTheByteOrderMarkMayBeSplitAnywhere) {
  const std::string body =
      "BEGIN:VEVENT\r\nUID:a\r\nSUMMARY:Split\r\n  in two\r\nDTSTART:20240301T090000Z\r\n"
      "DESCRIPTION:line\\none\r\n\tcontinued\r\nEND:VEVENT\r"
      "BEGIN:VEVENT\rUID:b\rSUMMARY:Lone CR\rDTSTART:20240302T090000Z\rEND:VEVENT\n"
      "BEGIN:VEVENT\nUID:c\nSUMMARY:LF\nDTSTART:20240303T090000Z\nEND:VEVENT\n\n\r\n";
  const std::string text =
      "\xEF\xBB\xBF"
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" +
      body + "END:VCALENDAR\r\n";
  expectSameInPieces(text, {1, 2, 3, 4, 5, 6, 7, 8});
  // A text that is nothing but the start of a byte-order mark, or ends without a line end.
  expectSameInPieces("\xEF\xBB", {1});
  expectSameInPieces(text.substr(0, text.size() - 2), {1, 3});
}

TEST(CalendarParser, OverlongLinesAreCutTheSameWhereverThePiecesEnd) {
  const std::size_t overlong = ParseLimits::kMaxLineBytes + 5000;
  std::string folded = "LOCATION:";
  for (std::size_t written = 0; written < overlong; written += 70) folded += std::string(70, 'x') + "\r\n ";
  const std::string text =
      calendarWith(event("UID:long\nSUMMARY:Long\nDTSTART:20240301T090000Z\nDESCRIPTION:" + std::string(overlong, 'd') +
                         "\n" + folded + "end"));
  const ParseResult whole = parseCalendar(text);
  EXPECT_THAT(whole.problems, ::testing::Contains(::testing::HasSubstr("cut to")));
  expectSameInPieces(text, {1000, 4096, 65536, ParseLimits::kMaxLineBytes, ParseLimits::kMaxLineBytes + 1});
}

// The texts of an event, as the parse gives them.
std::string textsOf(const std::string& text) {
  const ParseResult result = parseCalendar(text);
  if (!result.calendar) return "no calendar";
  const auto events = result.calendar->occurrences(utcTime(2024, 3, 1), utcTime(2024, 3, 2));
  if (events.size() != 1) return std::to_string(events.size()) + " events";
  auto show = [](const std::optional<std::string>& field) { return field ? "[" + *field + "]" : std::string("none"); };
  return show(events[0]->title) + " " + show(events[0]->location) + " " + show(events[0]->notes) + " " +
         show(events[0]->URL);
}

// A title is kept as stored, white space and all, whatever its parameters: only an absent
// or empty one makes an untitled meeting.
TEST(CalendarParser, TitlesAreKeptAsStored) {
  const std::pair<std::string, std::string> cases[] = {
      {"SUMMARY: ", "[ ] none none none"},
      {"SUMMARY:  Standup \\, daily\t", "[  Standup , daily\t] none none none"},
      {"SUMMARY;LANGUAGE=de: Planung", "[ Planung] none none none"},
      {"SUMMARY;X-A=\"a:b;c\";X-B=d: quoted ", "[ quoted ] none none none"},
      {"SUMMARY:", "none none none none"},
  };
  for (const auto& [line, texts] : cases) {
    SCOPED_TRACE(line);
    EXPECT_EQ(textsOf(calendarWith(event("UID:p\nDTSTART:20240301T090000Z\n" + line))), texts);
  }
}

// The parser reads plain texts without libical's parser; any parameter but a LANGUAGE sends
// a property back to it. Both ways must read every value alike.
TEST(CalendarParser, PlainTextsReadAsLibicalsParserReadsThem) {
  const std::string values[] = {
      "plain",
      "  spaces around  ",
      "\t tabs \t",
      "a\\nb\\Nc",
      "comma\\, semicolon\\; backslash\\\\",
      "unknown \\q",
      "ends in \\",
      "   ",
      "caf\xc3\xa9",
      "\xff\xfe not UTF-8",
      "\"quoted\": colon",
      "https://zoom.us/j/1?pwd=a;b,c",
  };
  for (const char* name : {"LOCATION", "DESCRIPTION", "URL"}) {
    for (const std::string& value : values) {
      SCOPED_TRACE(std::string(name) + ":" + value);
      auto withProperty = [&](const std::string& written) {
        return textsOf(calendarWith(event("UID:p\nDTSTART:20240301T090000Z\n" + written)));
      };
      const std::string byLibical = withProperty(std::string(name) + ";X-VELTO-TEST=1:" + value);
      EXPECT_EQ(withProperty(std::string(name) + ":" + value), byLibical);
      EXPECT_EQ(withProperty(std::string(name) + ";LANGUAGE=en-US:" + value), byLibical);
    }
  }
  // Only the first of a name counts, whichever way each is read; an empty one is no value.
  const std::string start = "UID:p\nDTSTART:20240301T090000Z\n";
  EXPECT_EQ(textsOf(calendarWith(event(start + "SUMMARY;X-A=1:first\nSUMMARY:second"))), "[first] none none none");
  EXPECT_EQ(textsOf(calendarWith(event(start + "SUMMARY:first\nSUMMARY;X-A=1:second"))), "[first] none none none");
  EXPECT_EQ(textsOf(calendarWith(event(start + "SUMMARY:\nSUMMARY:second"))), "[second] none none none");
}

}  // namespace
}  // namespace CorlaMeetings::Testing
