#include "HeavyCalendar.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string_view>

#include "BenchRandom.h"
#include "HeavyInvites.h"
#include "HeavyZones.h"
#include "ICalendarText.h"

namespace CorlaMeetings::Bench {

namespace {

using namespace std::chrono;

constexpr days kHalfSpan{913};  // two and a half years either side of today
constexpr std::array<int, 7> kLengths{15, 30, 30, 45, 60, 60, 90};

// What Outlook writes around the fields that matter: organizer, attendees, an alarm.
void boilerplate(std::string& out, Random& random, const std::string& uid) {
  line(out, "DTSTAMP:20250101T120000Z");
  line(out, "CREATED:20241201T090000Z");
  line(out, "LAST-MODIFIED:20241215T090000Z");
  const std::string_view organizer = randomName(random);
  line(out, "ORGANIZER;CN=" + std::string(organizer) + ":mailto:organizer@acme.example");
  for (int i = random.between(1, 3); i > 0; --i) {
    line(out, "ATTENDEE;ROLE=REQ-PARTICIPANT;PARTSTAT=NEEDS-ACTION;RSVP=TRUE;CN=" + std::string(randomName(random)) +
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
  std::string title(randomWord(random));
  title[0] = static_cast<char>(title[0] - 'a' + 'A');
  return title + " " + std::string(randomWord(random)) + " sync #" + std::to_string(number);
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
      case Kind::everyDay: return true;
      case Kind::weekdays: return weekday != 0 && weekday != 6;
      case Kind::weekly: return (weekdays >> weekday) & 1;
      case Kind::fortnightly: return (day - first).count() % 14 == 0;
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
  for (std::size_t i = 0; i < kZoneCount; ++i) {
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