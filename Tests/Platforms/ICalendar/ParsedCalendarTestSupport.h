#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "ICalendar/ParsedCalendar.h"
#include "Support/LocalTime.h"

namespace CorlaMeetings::Testing {

// An occurrence reduced to what the tests compare, in a form gtest prints readably.
struct Seen {
  std::string title;
  Instant start;
  Instant end;
  bool isAllDay = false;
  std::optional<std::string> identifier;

  bool operator==(const Seen& other) const {
    return title == other.title && start == other.start && end == other.end && isAllDay == other.isAllDay;
  }
};

inline void PrintTo(const Seen& seen, std::ostream* out) {
  auto show = [](Instant t) {
    const auto s = std::chrono::floor<std::chrono::seconds>(t);
    const auto day = std::chrono::floor<std::chrono::days>(s);
    const std::chrono::year_month_day date(day);
    const std::chrono::hh_mm_ss time(s - day);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return std::string(text);
  };
  *out << "{\"" << seen.title << "\" " << show(seen.start) << " - " << show(seen.end)
       << (seen.isAllDay ? " all-day" : "") << "}";
}

inline Instant utcTime(int year, int month, int day, int hour = 0, int minute = 0) {
  using namespace std::chrono;
  return Instant(sys_days(std::chrono::year(year) / month / day) + hours(hour) + minutes(minute));
}

// Wall-clock time in the named zone, through ICU.
inline Instant inZone(const char* zoneId, int year, int month, int day, int hour = 0, int minute = 0) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Calendar> calendar(
      icu::Calendar::createInstance(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(zoneId)), status));
  calendar->clear();
  calendar->set(year, month - 1, day, hour, minute, 0);
  const UDate millis = calendar->getTime(status);
  return Instant(std::chrono::milliseconds(static_cast<long long>(millis)));
}

// Berlin wall-clock time: the tests run under TZ=Europe/Berlin.
inline Instant berlin(int year, int month, int day, int hour = 0, int minute = 0) {
  return localTime(year, month, day, hour, minute);
}

// The text of a calendar holding `body` (VEVENTs, VTIMEZONEs), lines ended by CRLF.
inline std::string calendarWith(const std::string& body) {
  std::string text = "BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//Velto tests//EN\n" + body + "END:VCALENDAR\n";
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return crlf;
}

// A VEVENT with the given properties (one per line, without the BEGIN/END lines).
inline std::string event(const std::string& properties) {
  return "BEGIN:VEVENT\n" + properties + (properties.ends_with('\n') ? "" : "\n") + "END:VEVENT\n";
}

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
  if (!result.calendar) return mergeCalendars({});
  return result.calendar;
}

inline std::vector<Seen> seenIn(const std::string& text, Instant start, Instant end) {
  return seenIn(*parsed(text), start, end);
}

inline std::string fileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

inline std::string fixture(const std::string& name) {
  return fileText(std::string(VELTO_FIXTURES_DIR) + "/ics/" + name);
}

}  // namespace CorlaMeetings::Testing
