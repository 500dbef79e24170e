#pragma once

#include <string>
#include <string_view>

namespace CorlaMeetings {

// One place calendars come from, as the user named it.
struct CalendarSource {
  enum class Kind {
    path,          // an .ics file or a vdir folder; which of the two is decided on each read
    subscription,  // an http or https URL, fetched over the network
    unsupported,   // a URL of any other scheme: never read, only reported
    desktop,       // "eds:" or "eds:NAME": the desktop's calendar service, read by its own store
  };

  Kind kind = Kind::path;
  // The path, with "~/" expanded, or the URL, with webcal:// read as https://; for a
  // desktop source, the calendar's name or UID, empty for every selected calendar.
  std::string location;

  bool operator==(const CalendarSource&) const = default;
};

// Classifies one entry of the source list (surrounding white space already removed).
// `home` expands a leading "~/" or a lone "~"; empty leaves them as written. file:// URLs
// become paths. "eds:" in any case starts a desktop source ("./eds:x" names a file).
CalendarSource calendarSourceFrom(std::string_view text, std::string_view home);

// How messages name the source. A URL keeps its scheme, host and last path segment only:
// private calendar links carry their access token in the user name, the query or the path.
std::string describeCalendarSource(const CalendarSource& source);

// How a problem line about the source begins: "calendar " and its description.
std::string problemPrefix(const CalendarSource& source);

}  // namespace CorlaMeetings
