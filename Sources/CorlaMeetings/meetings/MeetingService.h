#pragma once

#include <array>
#include <string_view>

namespace CorlaMeetings {

// An online-meeting service whose join links we recognise.
struct MeetingService {
  std::string_view displayName;
  std::string_view host;  // lower case
  // Direct: the host follows "://" at once. Otherwise anything made of link characters
  // (a company sub-domain, say) may stand between them.
  bool direct;
};

// In the order they are tried: the first service with a link in an event wins.
inline constexpr std::array<MeetingService, 5> meetingServices{{
    {"Microsoft Teams", "teams.microsoft.com", false},
    {"Zoom", "zoom.us", false},
    {"Google Meet", "meet.google.com", true},
    {"Webex", "webex.com", false},
    {"Whereby", "whereby.com", false},
}};

}  // namespace CorlaMeetings
