#include "EDS/Sources/CalendarSelection.h"

#include <algorithm>

namespace CorlaMeetings {

CalendarSelection selectCalendars(const std::vector<DesktopCalendar>& calendars,
                                  const std::vector<std::string>& wanted) {
  auto isWanted = [&](const std::string& name) {
    return std::find(wanted.begin(), wanted.end(), name) != wanted.end();
  };
  CalendarSelection selection;
  for (const DesktopCalendar& calendar : calendars) {
    if (!calendar.enabled) continue;
    bool byName = isWanted(calendar.uid) || (!calendar.name.empty() && isWanted(calendar.name));
    bool byDefault = isWanted("") && calendar.selected && calendar.backend != "contacts";
    if (byName || byDefault) selection.uids.push_back(calendar.uid);
  }
  for (const std::string& name : wanted) {
    if (name.empty()) continue;
    bool found = std::any_of(calendars.begin(), calendars.end(), [&](const DesktopCalendar& calendar) {
      return calendar.enabled && (calendar.uid == name || calendar.name == name);
    });
    if (!found &&
        std::find(selection.unmatched.begin(), selection.unmatched.end(), name) == selection.unmatched.end()) {
      selection.unmatched.push_back(name);
    }
  }
  return selection;
}

}  // namespace CorlaMeetings
