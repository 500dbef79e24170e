#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unicode/unistr.h>

#include <chrono>
#include <filesystem>

#include "Platforms/ICalendar/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

using ::testing::ElementsAreArray;

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

// What a window of a corpus file holds, read off the file by hand.
struct Expectation {
  const char* file;
  Instant from;
  Instant to;
  std::vector<Seen> seen;
};

std::vector<Expectation> expectations() {
  auto auckland = [](int m, int d, int h, int min = 0) { return inZone("Pacific/Auckland", 2025, m, d, h, min); };
  auto newYork = [](int d, int h) { return inZone("America/New_York", 2026, 2, d, h); };
  auto brisbane = [](int d, int h) { return inZone("Australia/Brisbane", 2006, 1, d, h); };
  const std::string exdateTitle = "Test";
  std::vector<Seen> davTuesdays;
  for (auto [m, d] : {std::pair{10, 29}, {11, 12}, {12, 10}}) {
    davTuesdays.push_back({exdateTitle, berlin(2019, m, d, 16, 15), berlin(2019, m, d, 17, 45)});
  }
  for (int d : {7, 14, 21, 28})
    davTuesdays.push_back({exdateTitle, berlin(2020, 1, d, 16, 15), berlin(2020, 1, d, 17, 45)});
  std::vector<Seen> standups;
  for (int day : {1, 2, 3, 4}) {
    standups.push_back({"Standup", utcTime(2024, 4, day, 22, 30), utcTime(2024, 4, day, 22, 45)});
  }
  for (int day : {7, 8}) standups.push_back({"Standup", utcTime(2024, 4, day, 23, 30), utcTime(2024, 4, day, 23, 45)});

  return {
      {"google/recurring_with_single_change.ics",
       newYork(1, 0),
       newYork(5, 0),
       {{"Initial Title", newYork(1, 10), newYork(1, 11)},
        {"Edited Title", newYork(2, 10), newYork(2, 11)},
        {"Initial Title", newYork(3, 10), newYork(3, 11)}}},
      {"google/x_wr_timezone_simple_events_issue_59.ics",
       utcTime(2021, 12, 22),
       utcTime(2021, 12, 24),
       {{"Google Calendar says this is noon to 1PM on 12/22/2021", utcTime(2021, 12, 22, 17),
         utcTime(2021, 12, 22, 18)},
        {"Google says this is 9PM to 10PM on 12/22/2021", utcTime(2021, 12, 23, 2), utcTime(2021, 12, 23, 3)}}},
      {"outlook-exchange/office_360_nz_tz.ics",
       utcTime(2025, 10, 6),
       utcTime(2025, 10, 13),
       {{"9am local Wednesday event", auckland(10, 8, 9), auckland(10, 8, 9, 30)},
        {"10am local time Saturday event", auckland(10, 11, 10), auckland(10, 11, 10, 30)}}},
      {"outlook-exchange/office_360_nz_tz.ics",
       utcTime(2025, 12, 7),
       utcTime(2025, 12, 11),
       {{"Recurring event on Monday, Wednesday", auckland(12, 8, 15), auckland(12, 8, 15, 30)},
        {"Recurring event on Monday, Wednesday", auckland(12, 10, 15), auckland(12, 10, 15, 30)}}},
      // "Canberra, Melbourne, Sydney" is no zone ICU knows: the file's own definition,
      // +11:00 until the first Sunday of April (7 April 2024), then +10:00.
      {"outlook-exchange/Standup.ics", utcTime(2024, 4, 1), utcTime(2024, 4, 9), standups},
      {"apple/EXDATE.ics",
       brisbane(1, 0),
       brisbane(9, 0),
       {{"Repeating Event", brisbane(1, 12), brisbane(1, 13)},
        {"Repeating Event", brisbane(2, 12), brisbane(2, 13)},
        {"Repeating Event", brisbane(5, 12), brisbane(5, 13)},
        {"Repeating Event", brisbane(6, 12), brisbane(6, 13)},
        {"Repeating Event", brisbane(7, 12), brisbane(7, 13)}}},
      {"thunderbird/recurring_events_moved.ics",
       berlin(2019, 3, 7),
       berlin(2019, 3, 11),
       {{"New Event", berlin(2019, 3, 7, 2), berlin(2019, 3, 7, 3)},
        {"New Event", berlin(2019, 3, 8, 1), berlin(2019, 3, 8, 2)},
        {"New Event", berlin(2019, 3, 9, 3), berlin(2019, 3, 9, 4)},
        {"New Event", berlin(2019, 3, 10, 2), berlin(2019, 3, 10, 3)}}},
      {"thunderbird/issue_18_cancel_status.ics",
       berlin(2020, 1, 28),
       berlin(2020, 2, 1),
       {{"one is cancelled", berlin(2020, 1, 28, 22), berlin(2020, 1, 28, 23)},
        {"one is cancelled", berlin(2020, 1, 29, 22), berlin(2020, 1, 29, 23)},
        {"one is cancelled", berlin(2020, 1, 30, 22), berlin(2020, 1, 30, 23)}}},
      {"nextcloud/three_events_one_edited.ics",
       berlin(2019, 3, 18),
       berlin(2019, 3, 21),
       {{"test7", berlin(2019, 3, 18, 4), berlin(2019, 3, 18, 5)},
        {"test7 - edited", berlin(2019, 3, 19, 4), berlin(2019, 3, 19, 5)},
        {"test7", berlin(2019, 3, 20, 4), berlin(2019, 3, 20, 5)}}},
      {"other-producers/issue_20_exdate_ignored.ics", berlin(2019, 10, 14), berlin(2020, 2, 10), davTuesdays},
      {"other-producers/vienna-evolution.ics",
       utcTime(2013, 10, 9),
       utcTime(2013, 10, 10),
       {{"Test-Ereignis im sch\xC3\xB6nen Wien", inZone("Europe/Vienna", 2013, 10, 9, 17),
         inZone("Europe/Vienna", 2013, 10, 9, 18)}}},
      {"other-producers/meetup-timed-tz.ics",
       utcTime(2011, 11, 9),
       utcTime(2011, 11, 11),
       {{"Phoenix Drupal User Group Monthly Meetup", inZone("America/Phoenix", 2011, 11, 9, 19),
         inZone("America/Phoenix", 2011, 11, 9, 21)}}},
      {"misc-lib-tests/whole_day_moved_over_dst_change_berlin.ics",
       berlin(2024, 10, 26),
       berlin(2024, 11, 1),
       {{"test whole day moved", berlin(2024, 10, 27), berlin(2024, 10, 28), true},
        {"test whole day moved", berlin(2024, 10, 29), berlin(2024, 10, 30), true},
        {"test whole day moved", berlin(2024, 10, 30), berlin(2024, 10, 31), true}}},
      {"kcalendarcore-tests/test_recurrenceid_thisandfuture.ics",
       utcTime(2005, 5, 19),
       utcTime(2005, 5, 20),
       {{"summaryException", utcTime(2005, 5, 19, 9, 45), utcTime(2005, 5, 19, 13, 15)}}},
  };
}

TEST(CorpusExpectations, WindowsHoldWhatTheFilesSay) {
  for (const auto& expectation : expectations()) {
    SCOPED_TRACE(expectation.file);
    EXPECT_THAT(seenIn(corpusText(expectation.file), expectation.from, expectation.to),
                ElementsAreArray(expectation.seen));
  }
}

}  // namespace
}  // namespace CorlaMeetings::Testing
