#pragma once

#include <string>

namespace CorlaMeetings {

// What the panel's title tells, decided with its text: front ends that show no text (an
// icon, a status bar's style class) show this instead of reading the text back.
enum class StatusState {
  brand,     // nothing close
  soon,      // a meeting starts within three hours
  live,      // a meeting is in progress
  noAccess,  // the calendars may not be read
};

struct StatusTitle {
  std::string text;
  StatusState state = StatusState::brand;

  bool operator==(const StatusTitle&) const = default;
};

}  // namespace CorlaMeetings
