#include "HeavyCalendar.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string_view>

namespace CorlaMeetings::Bench {

namespace {

using namespace std::chrono;

constexpr days kHalfSpan{913};  // two and a half years either side of today

// splitmix64: the same numbers on every platform, which the standard distributions are not.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
  int between(int low, int high) { return low + below(high - low + 1); }
  bool chance(int percent) { return below(100) < percent; }
  template <typename T, std::size_t N>
  const T& pick(const std::array<T, N>& from) {
    return from[static_cast<std::size_t>(below(static_cast<int>(N)))];
  }

 private:
  std::uint64_t state_;
};

struct Zone {
  std::string_view tzid;
  int weight;
  std::string_view definition;  // VTIMEZONE, LF line ends
};

// IANA names as Google and Thunderbird write them, Windows names as Outlook does.
constexpr std::array<Zone, 6> kZones{{
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

constexpr std::array<std::string_view, 40> kWords{
    "roadmap", "release", "budget",   "review",     "customer", "migration",  "quarterly",    "planning",
    "design",  "metrics", "hiring",   "security",   "backlog",  "incident",   "vendor",       "contract",
    "launch",  "pricing", "platform", "analytics",  "support",  "onboarding", "architecture", "retro",
    "demo",    "sprint",  "risk",     "compliance", "partner",  "renewal",    "forecast",     "latency",
    "mobile",  "billing", "search",   "storage",    "network",  "training",   "feedback",     "handover"};
constexpr std::array<std::string_view, 12> kNames{"Anna Schmidt", "Ben Carter",   "Chloé Martin", "Dev Patel",
                                                  "Eva Novak",    "Femi Adeyemi", "Grace Liu",    "Hiro Tanaka",
                                                  "Ines Duarte",  "Jonas Berg",   "Kira Ivanova", "Liam O'Brien"};
constexpr std::array<int, 7> kLengths{15, 30, 30, 45, 60, 60, 90};

std::string twoDigits(unsigned value) {
  char text[4];
  std::snprintf(text, sizeof text, "%02u", value % 100);
  return text;
}

std::string dateText(sys_days day) {
  const year_month_day date(day);
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02u%02u", static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                static_cast<unsigned>(date.day()));
  return text;
}

std::string dateTimeText(sys_days day, minutes timeOfDay) {
  const auto total = day + timeOfDay;
  const auto date = floor<days>(total);
  const auto time = total - date;
  return dateText(date) + "T" + twoDigits(static_cast<unsigned>(duration_cast<hours>(time).count())) +
         twoDigits(static_cast<unsigned>((time % hours(1)) / minutes(1))) + "00";
}

// A content line, folded at 75 octets without splitting a UTF-8 sequence.
void line(std::string& out, std::string_view text) {
  std::size_t begin = 0;
  std::size_t room = 75;
  while (text.size() - begin > room) {
    std::size_t cut = begin + room;
    while (cut > begin + 1 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    out.append(text.substr(begin, cut - begin));
    out += "\r\n ";
    begin = cut;
    room = 74;
  }
  out.append(text.substr(begin));
  out += "\r\n";
}

std::string escapedText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case ';':
        out += "\\;";
        break;
      case ',':
        out += "\\,";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string alphanumerics(Random& random, int count) {
  static constexpr std::string_view kAlphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string out;
  for (int i = 0; i < count; ++i) out += kAlphabet[static_cast<std::size_t>(random.below(62))];
  return out;
}

std::string digits(Random& random, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += static_cast<char>('0' + random.below(10));
  return out;
}

std::string guid(Random& random) {
  static constexpr std::string_view kHex = "0123456789abcdef";
  std::string out;
  for (int i = 0; i < 32; ++i) {
    if (i == 8 || i == 12 || i == 16 || i == 20) out += '-';
    out += kHex[static_cast<std::size_t>(random.below(16))];
  }
  return out;
}

enum class Service { teams, zoom, meet, webex, whereby, none };

Service pickService(Random& random) {
  const int roll = random.below(100);
  if (roll < 50) return Service::teams;
  if (roll < 75) return Service::zoom;
  if (roll < 88) return Service::meet;
  if (roll < 93) return Service::webex;
  if (roll < 96) return Service::whereby;
  return Service::none;
}

struct Invite {
  std::string location;
  std::string description;  // HTML, unescaped
};

std::string joinLink(Service service, Random& random) {
  switch (service) {
    case Service::teams:
      return "https://teams.microsoft.com/l/meetup-join/19%3ameeting_" + alphanumerics(random, 48) +
             "%40thread.v2/0?context=%7b%22Tid%22%3a%22" + guid(random) + "%22%2c%22Oid%22%3a%22" + guid(random) +
             "%22%7d";
    case Service::zoom:
      return "https://us0" + digits(random, 1) + "web.zoom.us/j/" + digits(random, 11) +
             "?pwd=" + alphanumerics(random, 32);
    case Service::meet: {
      const std::string code = alphanumerics(random, 10);
      return "https://meet.google.com/" + code.substr(0, 3) + "-" + code.substr(3, 4) + "-" + code.substr(7);
    }
    case Service::webex:
      return "https://acme.webex.com/acme/j.php?MTID=m" + alphanumerics(random, 32);
    case Service::whereby:
      return "https://whereby.com/acme-" + std::string(random.pick(kWords));
    case Service::none:
      return {};
  }
  return {};
}

// Where each service puts its link: Teams and Webex at the end of a long HTML body, Zoom
// also in the location, Meet in a short block near the top.
std::string serviceBlock(Service service, const std::string& link, Random& random) {
  switch (service) {
    case Service::teams:
      return "<div style=\"width:100%\">" + std::string(80, '_') +
             "</div>\n<div><span style=\"font-size:24px;font-weight:600\">Microsoft Teams meeting</span></div>\n"
             "<div><span>Join on your computer, mobile app or room device</span></div>\n<div><a href=\"" +
             link +
             "\" target=\"_blank\" rel=\"noreferrer noopener\">Click here to join the meeting</a></div>\n"
             "<div>Meeting ID: " +
             digits(random, 3) + " " + digits(random, 3) + " " + digits(random, 3) + " " + digits(random, 3) +
             "</div>\n<div>Passcode: " + alphanumerics(random, 6) +
             "</div>\n<div><a href=\"https://www.microsoft.com/microsoft-teams/download-app\">Download Teams</a> | "
             "<a href=\"https://www.microsoft.com/microsoft-teams/join-a-meeting\">Join on the web</a></div>\n"
             "<div><a href=\"https://aka.ms/JoinTeamsMeeting\">Learn More</a> | <a "
             "href=\"https://teams.microsoft.com/meetingOptions/?organizerId=" +
             guid(random) + "&tenantId=" + guid(random) + "\">Meeting options</a></div>\n<div>" + std::string(80, '_') +
             "</div>\n";
    case Service::zoom:
      return "<p>Join Zoom Meeting<br>\n<a href=\"" + link + "\">" + link +
             "</a></p>\n<p>Meeting ID: " + digits(random, 11) + "<br>\nPasscode: " + digits(random, 6) +
             "</p>\n<p>One tap mobile<br>\n+4969380" + digits(random, 5) + ",," + digits(random, 11) +
             "# Germany</p>\n";
    case Service::meet:
      return "<p>Google Meet joining info<br>\nVideo call link: <a href=\"" + link + "\">" + link +
             "</a><br>\nOr dial: (DE) +49 30 " + digits(random, 8) + " PIN: " + digits(random, 9) + "#</p>\n";
    case Service::webex:
      return "<p>Join Webex meeting: <a href=\"" + link + "\">" + link +
             "</a><br>\nMeeting number: " + digits(random, 10) + "</p>\n";
    case Service::whereby:
      return "<p>Join the room: " + link + "</p>\n";
    case Service::none:
      return "<p>Room " + digits(random, 3) + ", building " + std::string(1, static_cast<char>('A' + random.below(4))) +
             ". Dial-in: +49 89 " + digits(random, 8) + "</p>\n";
  }
  return {};
}

std::string sentence(Random& random) {
  std::string out = "Let us go through the";
  const int words = random.between(6, 14);
  for (int i = 0; i < words; ++i) {
    out += ' ';
    out += random.pick(kWords);
    if (i % 5 == 4) out += ',';
  }
  return out + "; notes from the last " + std::string(random.pick(kWords)) + " are attached.";
}

Invite makeInvite(Service service, Random& random) {
  const std::string link = joinLink(service, random);
  const std::string block = serviceBlock(service, link, random);
  // Most invites are a screen long; three in ten carry pages of agenda.
  const std::size_t target =
      static_cast<std::size_t>(random.chance(30) ? random.between(1500, 3200) : random.between(300, 800));

  std::string html =
      "<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n</head>\n"
      "<body>\n<div>Hi all,</div>\n";
  if (service == Service::meet) html += block;
  for (int item = 0; html.size() + block.size() < target; ++item) {
    html += item % 4 == 0 ? "<p>" + sentence(random) + "</p>\n" : "<li>" + sentence(random) + "</li>\n";
  }
  if (service != Service::meet) html += block;
  html += "<div>Best regards,<br>\n" + std::string(random.pick(kNames)) + "</div>\n</body>\n</html>";

  Invite invite;
  invite.description = std::move(html);
  switch (service) {
    case Service::teams:
      invite.location = "Microsoft Teams Meeting";
      break;
    case Service::zoom:
      invite.location = link;
      break;
    case Service::webex:
      invite.location = link;
      break;
    case Service::none:
      invite.location = "Room " + digits(random, 3);
      break;
    default:
      break;
  }
  return invite;
}

int pickZone(Random& random) {
  int roll = random.below(kUtcWeight + 85);
  for (std::size_t i = 0; i < kZones.size(); ++i) {
    if (roll < kZones[i].weight) return static_cast<int>(i);
    roll -= kZones[i].weight;
  }
  return -1;
}

// DTSTART and the like: a wall-clock time in the object's zone, or UTC.
std::string timeProperty(std::string_view name, int zone, sys_days day, minutes timeOfDay) {
  if (zone < 0) return std::string(name) + ":" + dateTimeText(day, timeOfDay) + "Z";
  return std::string(name) + ";TZID=" + std::string(kZones[static_cast<std::size_t>(zone)].tzid) + ":" +
         dateTimeText(day, timeOfDay);
}

// What Outlook writes around the fields that matter: organizer, attendees, an alarm.
void boilerplate(std::string& out, Random& random, const std::string& uid) {
  line(out, "DTSTAMP:20250101T120000Z");
  line(out, "CREATED:20241201T090000Z");
  line(out, "LAST-MODIFIED:20241215T090000Z");
  const std::string_view organizer = random.pick(kNames);
  line(out, "ORGANIZER;CN=" + std::string(organizer) + ":mailto:organizer@acme.example");
  for (int i = random.between(1, 3); i > 0; --i) {
    line(out, "ATTENDEE;ROLE=REQ-PARTICIPANT;PARTSTAT=NEEDS-ACTION;RSVP=TRUE;CN=" + std::string(random.pick(kNames)) +
                  ":mailto:person" + std::to_string(random.below(500)) + "@acme.example");
  }
  line(out, "CLASS:PUBLIC");
  line(out, "TRANSP:OPAQUE");
  line(out, "STATUS:CONFIRMED");
  line(out, "X-MICROSOFT-CDO-BUSYSTATUS:BUSY");
  line(out, "X-MICROSOFT-CDO-OWNERAPPTID:" + std::to_string(std::hash<std::string>{}(uid) % 1000000000));
  out += "BEGIN:VALARM\r\nTRIGGER:-PT15M\r\nACTION:DISPLAY\r\nDESCRIPTION:Reminder\r\nEND:VALARM\r\n";
}

void textFields(std::string& out, const std::string& summary, const Invite& invite) {
  line(out, "SUMMARY:" + escapedText(summary));
  if (!invite.location.empty()) line(out, "LOCATION:" + escapedText(invite.location));
  line(out, "DESCRIPTION:" + escapedText(invite.description));
}

sys_days randomWeekday(Random& random, sys_days from, int span) {
  for (;;) {
    const sys_days day = from + days(random.below(span));
    const unsigned weekday = std::chrono::weekday(day).c_encoding();
    if (weekday != 0 && weekday != 6) return day;
  }
}

std::string summaryText(Random& random, int number) {
  std::string title(random.pick(kWords));
  title[0] = static_cast<char>(title[0] - 'a' + 'A');
  return title + " " + std::string(random.pick(kWords)) + " sync #" + std::to_string(number);
}

CalendarObject singleEvent(Random& random, int number, sys_days first, int span) {
  CalendarObject object;
  object.uid = "heavy-" + std::to_string(number) + "-" + guid(random) + "@bench.velto.example";
  std::string& out = object.components;
  out += "BEGIN:VEVENT\r\n";
  line(out, "UID:" + object.uid);
  const sys_days day = randomWeekday(random, first, span);
  if (random.chance(2)) {
    line(out, "DTSTART;VALUE=DATE:" + dateText(day));
    line(out, "DTEND;VALUE=DATE:" + dateText(day + days(1)));
    line(out, "SUMMARY:Out of office");
    line(out, "TRANSP:TRANSPARENT");
  } else {
    object.zone = pickZone(random);
    const minutes start = hours(random.between(8, 17)) + minutes(15 * random.below(4));
    line(out, timeProperty("DTSTART", object.zone, day, start));
    line(out, timeProperty("DTEND", object.zone, day, start + minutes(random.pick(kLengths))));
    textFields(out, summaryText(random, number), makeInvite(pickService(random), random));
  }
  line(out, "SEQUENCE:0");
  boilerplate(out, random, object.uid);
  out += "END:VEVENT\r\n";
  return object;
}

// The days a series falls on, and its rule without its end.
struct Pattern {
  enum class Kind { everyDay, weekdays, weekly, fortnightly } kind;
  unsigned weekdays = 0;  // weekly: bit per weekday, 0 = Sunday
  std::string rule;

  bool fallsOn(sys_days first, sys_days day) const {
    const unsigned weekday = std::chrono::weekday(day).c_encoding();
    switch (kind) {
      case Kind::everyDay:
        return true;
      case Kind::weekdays:
        return weekday != 0 && weekday != 6;
      case Kind::weekly:
        return (weekdays >> weekday) & 1;
      case Kind::fortnightly:
        return (day - first).count() % 14 == 0;
    }
    return false;
  }
};

Pattern pickPattern(Random& random, sys_days first) {
  static constexpr std::array<std::string_view, 7> kDayNames{"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
  const unsigned weekday = std::chrono::weekday(first).c_encoding();
  const int roll = random.below(100);
  if (roll < 10) return {Pattern::Kind::everyDay, 0, "FREQ=DAILY"};
  if (roll < 50) return {Pattern::Kind::weekdays, 0, "FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR"};
  if (roll < 85) {
    unsigned mask = 1u << weekday;
    if (random.chance(40)) mask |= 1u << (weekday == 5 ? 1 : weekday + 1);
    std::string rule = "FREQ=WEEKLY;BYDAY=";
    bool firstDay = true;
    for (unsigned d = 1; d < 6; ++d) {
      if (!((mask >> d) & 1)) continue;
      if (!firstDay) rule += ',';
      rule += kDayNames[d];
      firstDay = false;
    }
    return {Pattern::Kind::weekly, mask, rule};
  }
  return {Pattern::Kind::fortnightly, 0, "FREQ=WEEKLY;INTERVAL=2;BYDAY=" + std::string(kDayNames[weekday])};
}

// A series with EXDATEs and moved occurrences. Every tenth one runs through today, with an
// exception and a moved occurrence in the next four days, so a refresh always meets some.
CalendarObject series(Random& random, int number, sys_days first, sys_days last, sys_days today) {
  CalendarObject object;
  object.uid = "heavy-series-" + std::to_string(number) + "-" + guid(random) + "@bench.velto.example";
  object.zone = pickZone(random);
  const bool current = number % 10 == 0;
  const sys_days start = current ? randomWeekday(random, today - days(500), 480)
                                 : randomWeekday(random, first, static_cast<int>((last - first).count()) - 60);
  const Pattern pattern = pickPattern(random, start);

  // How it ends, and so which days it falls on.
  std::string end;
  sys_days through = last;
  std::size_t count = 0;
  const int ending = random.below(100);
  if (current) {
    if (ending < 50) {
      through = today + days(random.between(30, 300));
      end = ";UNTIL=" + dateText(through) + "T235959Z";
    }
  } else if (ending < 70) {
    through = std::min(last, start + days(random.between(60, 365)));
    end = ";UNTIL=" + dateText(through) + "T235959Z";
  } else if (ending < 85) {
    count = static_cast<std::size_t>(random.between(10, 150));
    end = ";COUNT=" + std::to_string(count);
  }
  std::vector<sys_days> occurrences;
  for (sys_days day = start; day <= through && (count == 0 || occurrences.size() < count); day += days(1)) {
    if (pattern.fallsOn(start, day)) occurrences.push_back(day);
  }

  // The exceptions: EXDATEs and overrides on distinct occurrences.
  std::vector<std::size_t> chosen;
  auto choose = [&](std::size_t index) {
    if (index >= occurrences.size() || std::find(chosen.begin(), chosen.end(), index) != chosen.end()) return false;
    chosen.push_back(index);
    return true;
  };
  std::vector<std::size_t> excluded;
  std::vector<std::size_t> moved;
  if (current) {
    const auto upcoming =
        static_cast<std::size_t>(std::lower_bound(occurrences.begin(), occurrences.end(), today) - occurrences.begin());
    if (choose(upcoming)) excluded.push_back(upcoming);
    if (choose(upcoming + 1)) moved.push_back(upcoming + 1);
  }
  const int size = static_cast<int>(occurrences.size());
  for (int i = random.between(2, 4); i > 0 && size > 0; --i) {
    const auto index = static_cast<std::size_t>(random.below(size));
    if (choose(index)) excluded.push_back(index);
  }
  for (int i = random.between(1, 3); i > 0 && size > 0; --i) {
    const auto index = static_cast<std::size_t>(random.below(size));
    if (choose(index)) moved.push_back(index);
  }
  std::sort(excluded.begin(), excluded.end());

  const minutes time = hours(random.between(8, 16)) + minutes(30 * random.below(2));
  const minutes length = minutes(random.pick(kLengths));
  const std::string summary = summaryText(random, number);
  const Invite invite = makeInvite(pickService(random), random);

  std::string& out = object.components;
  out += "BEGIN:VEVENT\r\n";
  line(out, "UID:" + object.uid);
  line(out, timeProperty("DTSTART", object.zone, start, time));
  line(out, timeProperty("DTEND", object.zone, start, time + length));
  line(out, "RRULE:" + pattern.rule + end);
  for (std::size_t index : excluded) line(out, timeProperty("EXDATE", object.zone, occurrences[index], time));
  textFields(out, summary, invite);
  line(out, "SEQUENCE:0");
  boilerplate(out, random, object.uid);
  out += "END:VEVENT\r\n";

  for (std::size_t index : moved) {
    const sys_days day = occurrences[index];
    const minutes shifted = time + minutes(random.chance(50) ? 60 : -30);
    out += "BEGIN:VEVENT\r\n";
    line(out, "UID:" + object.uid);
    line(out, timeProperty("RECURRENCE-ID", object.zone, day, time));
    line(out, timeProperty("DTSTART", object.zone, day, shifted));
    line(out, timeProperty("DTEND", object.zone, day, shifted + length));
    textFields(out, summary + " (moved)", invite);
    line(out, "SEQUENCE:1");
    boilerplate(out, random, object.uid);
    out += "END:VEVENT\r\n";
  }
  return object;
}

void appendZone(std::string& out, int zone) {
  for (char c : kZones[static_cast<std::size_t>(zone)].definition) {
    if (c == '\n') out += '\r';
    out += c;
  }
}

constexpr std::string_view kHeader =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Velto//Heavy calendar generator//EN\r\nCALSCALE:GREGORIAN\r\n";
constexpr std::string_view kFooter = "END:VCALENDAR\r\n";

}  // namespace

std::vector<CalendarObject> makeHeavyCalendar(const HeavyCalendarOptions& options) {
  Random random(options.seed);
  const sys_days first = options.today - kHalfSpan;
  const sys_days last = options.today + kHalfSpan;
  const int span = static_cast<int>((last - first).count());
  std::vector<CalendarObject> objects;
  objects.reserve(static_cast<std::size_t>(options.events));
  // Series are spread among the single events, as a calendar's own order would have them.
  const int seriesEvery = options.series > 0 ? std::max(1, options.events / options.series) : 0;
  int seriesMade = 0;
  for (int i = 0; i < options.events; ++i) {
    if (seriesEvery > 0 && i % seriesEvery == 0 && seriesMade < options.series) {
      objects.push_back(series(random, seriesMade++, first, last, options.today));
    } else {
      objects.push_back(singleEvent(random, i, first, span));
    }
  }
  return objects;
}

std::string asOneFile(const std::vector<CalendarObject>& objects) {
  std::size_t size = kHeader.size() + kFooter.size();
  unsigned zones = 0;
  for (const auto& object : objects) {
    size += object.components.size();
    if (object.zone >= 0) zones |= 1u << object.zone;
  }
  std::string text;
  text.reserve(size + 8192);
  text += kHeader;
  for (std::size_t i = 0; i < kZones.size(); ++i) {
    if ((zones >> i) & 1) appendZone(text, static_cast<int>(i));
  }
  for (const auto& object : objects) text += object.components;
  text += kFooter;
  return text;
}

std::string asObjectFile(const CalendarObject& object) {
  std::string text(kHeader);
  if (object.zone >= 0) appendZone(text, object.zone);
  text += object.components;
  text += kFooter;
  return text;
}

std::string objectFileName(const CalendarObject& object) {
  // The UID up to its '@', which is unique here and safe as a file name.
  return object.uid.substr(0, object.uid.find('@')) + ".ics";
}

void writeVdir(const std::vector<CalendarObject>& objects, const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  if (!std::filesystem::is_empty(folder)) throw std::runtime_error(folder.string() + " is not empty");
  for (const auto& object : objects) {
    std::ofstream file(folder / objectFileName(object), std::ios::binary);
    file << asObjectFile(object);
    if (!file) throw std::runtime_error("cannot write into " + folder.string());
  }
}

std::size_t componentCount(const std::vector<CalendarObject>& objects) {
  std::size_t count = 0;
  for (const auto& object : objects) {
    for (std::size_t at = object.components.find("BEGIN:VEVENT"); at != std::string::npos;
         at = object.components.find("BEGIN:VEVENT", at + 1)) {
      ++count;
    }
  }
  return count;
}

}  // namespace CorlaMeetings::Bench
