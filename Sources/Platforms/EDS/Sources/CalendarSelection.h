#pragma once

#include <string>
#include <vector>

namespace CorlaMeetings {

// A calendar as the desktop's source registry lists it.
struct DesktopCalendar {
  std::string uid;
  std::string name;       // as the user sees it ("Personal", "ann@example.com")
  std::string backend;    // "local", "caldav", "google", "ews", "contacts" ...
  bool enabled = false;   // it and the account above it are on
  bool selected = false;  // its check box in GNOME Calendar and Evolution
};

struct CalendarSelection {
  std::vector<std::string> uids;       // the calendars to read, in the registry's order
  std::vector<std::string> unmatched;  // names asked for that no enabled calendar has
};

// The calendars the source list's desktop entries ask for: "" asks for every enabled and
// selected calendar; a name asks for the enabled calendars with that display name or UID,
// selected or not, since the user named them. The birthdays calendar comes only by name:
// its events are all-day, which the refresh leaves out, and reading them would start the
// address-book service for nothing.
CalendarSelection selectCalendars(const std::vector<DesktopCalendar>& calendars,
                                  const std::vector<std::string>& wanted);

}  // namespace CorlaMeetings
