#pragma once

// Calendar texts for the parser's tests, and occurrences in a form gtest compares and prints.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>

#include "ICalendar/Parsing/CalendarParser.h"
#include "ICalendar/Query/MergedCalendar.h"
#include "ICalendar/Query/ParsedCalendar.h"
#include "Support/LocalTime.h"

namespace CorlaMeetings::Testing {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

struct Seen {
  std::string title;
  Instant start;
  Instant end;
  bool isAllDay = false;
  std::optional<std::string> identifier;  // not compared

  bool operator==(const Seen& other) const {
    return title == other.title && start == other.start && end == other.end && isAllDay == other.isAllDay;
  }
};

inline void PrintTo(const Seen& seen, std::ostream* out) {
  auto show = [](Instant t) {
    const std::time_t seconds = std::chrono::floor<std::chrono::seconds>(t.time_since_epoch()).count();
    std::tm utc{};
    char text[32];
    std::strftime(text, sizeof text, "%F %TZ", ::gmtime_r(&seconds, &utc));
    return std::string(text);
  };
  *out << "{\"" << seen.title << "\" " << show(seen.start) << " - " << show(seen.end)
       << (seen.isAllDay ? " all-day" : "") << "}";
}

inline Instant utcTime(int year, int month, int day, int hour = 0, int minute = 0) {
  using namespace std::chrono;
  return Instant(sys_days(std::chrono::year(year) / month / day) + hours(hour) + minutes(minute));
}

// Berlin wall-clock time: the tests run under TZ=Europe/Berlin.
inline Instant berlin(int year, int month, int day, int hour = 0, int minute = 0) {
  return localTime(year, month, day, hour, minute);
}

// Wall-clock time in the named zone.
inline Instant inZone(const char* zoneId, int year, int month, int day, int hour = 0, int minute = 0) {
  ScopedDefaultZone zone(zoneId);
  return localTime(year, month, day, hour, minute);
}

// A calendar holding `body` (VEVENTs, VTIMEZONEs), its lines ended by CRLF.
inline std::string calendarWith(const std::string& body) {
  std::string crlf;
  for (char c : "BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//Velto tests//EN\n" + body + "END:VCALENDAR\n") {
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  }
  return crlf;
}

// A VEVENT of the given properties, one a line.
inline std::string event(const std::string& properties) {
  return "BEGIN:VEVENT\n" + properties + (properties.ends_with('\n') ? "" : "\n") + "END:VEVENT\n";
}

// The occurrences in [start, end), by start and then title.
inline std::vector<Seen> seenIn(const ParsedCalendar& calendar, Instant start, Instant end) {
  std::vector<Seen> seen;
  for (const auto& occurrence : calendar.occurrences(start, end)) {
    seen.push_back({occurrence->title.value_or("<none>"), occurrence->startDate, occurrence->endDate,
                    occurrence->isAllDay, occurrence->eventIdentifier});
  }
  std::sort(seen.begin(), seen.end(),
            [](const Seen& a, const Seen& b) { return a.start != b.start ? a.start < b.start : a.title < b.title; });
  return seen;
}

// Parses `text`, which the test expects to hold a calendar.
inline std::shared_ptr<const ParsedCalendar> parsed(const std::string& text) {
  ParseResult result = parseCalendar(text);
  EXPECT_NE(result.calendar, nullptr);
  return result.calendar ? result.calendar : mergeCalendars({});
}

inline std::vector<Seen> seenIn(const std::string& text, Instant start, Instant end) {
  return seenIn(*parsed(text), start, end);
}

template <typename Calendar>  // a ParsedCalendar, or a text
std::vector<Instant> startsIn(const Calendar& calendar, Instant start, Instant end) {
  std::vector<Instant> starts;
  for (const Seen& seen : seenIn(calendar, start, end)) starts.push_back(seen.start);
  return starts;
}

template <typename Calendar>
std::vector<std::string> titlesIn(const Calendar& calendar, Instant start, Instant end) {
  std::vector<std::string> titles;
  for (const Seen& seen : seenIn(calendar, start, end)) titles.push_back(seen.title);
  return titles;
}

inline std::string fileText(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

inline std::string fixture(const std::string& name) {
  return fileText(std::string(VELTO_FIXTURES_DIR) + "/ics/" + name);
}

}  // namespace CorlaMeetings::Testing
