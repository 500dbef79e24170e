#include "HeavyZones.h"

#include <array>

#include "ICalendarText.h"

namespace CorlaMeetings::Bench {

namespace {

struct Zone {
  std::string_view tzid;
  int weight;
  std::string_view definition;  // VTIMEZONE, LF line ends
};

// IANA names as Google and Thunderbird write them, Windows names as Outlook does.
constexpr std::array<Zone, kZoneCount> kZones{{
    {"Europe/Berlin", 35, R"(BEGIN:VTIMEZONE
TZID:Europe/Berlin
BEGIN:DAYLIGHT
TZOFFSETFROM:+0100
TZOFFSETTO:+0200
TZNAME:CEST
DTSTART:19700329T020000
RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU
END:DAYLIGHT
BEGIN:STANDARD
TZOFFSETFROM:+0200
TZOFFSETTO:+0100
TZNAME:CET
DTSTART:19701025T030000
RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU
END:STANDARD
END:VTIMEZONE
)"},
    {"America/New_York", 15, R"(BEGIN:VTIMEZONE
TZID:America/New_York
BEGIN:DAYLIGHT
TZOFFSETFROM:-0500
TZOFFSETTO:-0400
TZNAME:EDT
DTSTART:19700308T020000
RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=2SU
END:DAYLIGHT
BEGIN:STANDARD
TZOFFSETFROM:-0400
TZOFFSETTO:-0500
TZNAME:EST
DTSTART:19701101T020000
RRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=1SU
END:STANDARD
END:VTIMEZONE
)"},
    {"Europe/London", 10, R"(BEGIN:VTIMEZONE
TZID:Europe/London
BEGIN:DAYLIGHT
TZOFFSETFROM:+0000
TZOFFSETTO:+0100
TZNAME:BST
DTSTART:19700329T010000
RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU
END:DAYLIGHT
BEGIN:STANDARD
TZOFFSETFROM:+0100
TZOFFSETTO:+0000
TZNAME:GMT
DTSTART:19701025T020000
RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU
END:STANDARD
END:VTIMEZONE
)"},
    {"Asia/Kolkata", 5, R"(BEGIN:VTIMEZONE
TZID:Asia/Kolkata
BEGIN:STANDARD
TZOFFSETFROM:+0530
TZOFFSETTO:+0530
TZNAME:IST
DTSTART:19700101T000000
END:STANDARD
END:VTIMEZONE
)"},
    {"W. Europe Standard Time", 12, R"(BEGIN:VTIMEZONE
TZID:W. Europe Standard Time
BEGIN:STANDARD
DTSTART:16010101T030000
TZOFFSETFROM:+0200
TZOFFSETTO:+0100
RRULE:FREQ=YEARLY;INTERVAL=1;BYDAY=-1SU;BYMONTH=10
END:STANDARD
BEGIN:DAYLIGHT
DTSTART:16010101T020000
TZOFFSETFROM:+0100
TZOFFSETTO:+0200
RRULE:FREQ=YEARLY;INTERVAL=1;BYDAY=-1SU;BYMONTH=3
END:DAYLIGHT
END:VTIMEZONE
)"},
    {"Pacific Standard Time", 8, R"(BEGIN:VTIMEZONE
TZID:Pacific Standard Time
BEGIN:STANDARD
DTSTART:16010101T020000
TZOFFSETFROM:-0700
TZOFFSETTO:-0800
RRULE:FREQ=YEARLY;INTERVAL=1;BYDAY=1SU;BYMONTH=11
END:STANDARD
BEGIN:DAYLIGHT
DTSTART:16010101T020000
TZOFFSETFROM:-0800
TZOFFSETTO:-0700
RRULE:FREQ=YEARLY;INTERVAL=1;BYDAY=2SU;BYMONTH=3
END:DAYLIGHT
END:VTIMEZONE
)"},
}};
constexpr int kUtcWeight = 15;

}  // namespace

int pickZone(Random& random) {
  int roll = random.below(kUtcWeight + 85);
  for (std::size_t i = 0; i < kZones.size(); ++i) {
    if (roll < kZones[i].weight) return static_cast<int>(i);
    roll -= kZones[i].weight;
  }
  return -1;
}

std::string timeProperty(std::string_view name, int zone, std::chrono::sys_days day, std::chrono::minutes timeOfDay) {
  if (zone < 0) return std::string(name) + ":" + dateTimeText(day, timeOfDay) + "Z";
  return std::string(name) + ";TZID=" + std::string(kZones[static_cast<std::size_t>(zone)].tzid) + ":" +
         dateTimeText(day, timeOfDay);
}

void appendZone(std::string& out, int zone) {
  for (char c : kZones[static_cast<std::size_t>(zone)].definition) {
    if (c == '\n') out += '\r';
    out += c;
  }
}

}  // namespace CorlaMeetings::Bench
