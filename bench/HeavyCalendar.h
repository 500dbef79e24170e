#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace CorlaMeetings::Bench {

// A heavy user's calendar: five years of work meetings centred on `today`, as Outlook and
// the meeting services write them (long HTML invites, attendees, several zones, Windows
// zone names), with recurring series that carry exceptions and moved occurrences.
struct HeavyCalendarOptions {
  std::chrono::sys_days today;
  int events = 20'000;  // UIDs: one file each in a vdir
  int series = 300;     // of those, recurring ones (daily and weekly)
  std::uint64_t seed = 2026;
};

// One UID's components (an event, or a series with its overrides), as a vdir file holds them.
struct CalendarObject {
  std::string uid;
  std::string components;  // BEGIN:VEVENT ... END:VEVENT, folded, CRLF
  int zone = -1;           // index into the zones the text refers to; -1: none (UTC, dates)
};

std::vector<CalendarObject> makeHeavyCalendar(const HeavyCalendarOptions& options);

// The whole calendar as one .ics text, each zone defined once.
std::string asOneFile(const std::vector<CalendarObject>& objects);

// One object as a file of its own, with the zone it uses.
std::string asObjectFile(const CalendarObject& object);
std::string objectFileName(const CalendarObject& object);

// Writes one file per object into `folder`, which must not exist yet or be empty.
void writeVdir(const std::vector<CalendarObject>& objects, const std::filesystem::path& folder);

// How many VEVENT blocks the objects hold (series overrides included).
std::size_t componentCount(const std::vector<CalendarObject>& objects);

}  // namespace CorlaMeetings::Bench
