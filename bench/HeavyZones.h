#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include "BenchRandom.h"

namespace CorlaMeetings::Bench {

// The zones of the heavy calendar, by index; -1 stands for UTC.
constexpr std::size_t kZoneCount = 6;

// A zone drawn by how often calendars use it, or -1.
int pickZone(Random& random);
// DTSTART and the like: a wall-clock time in the zone, or UTC.
std::string timeProperty(std::string_view name, int zone, std::chrono::sys_days day, std::chrono::minutes timeOfDay);
// Appends the zone's VTIMEZONE, CRLF line ends.
void appendZone(std::string& out, int zone);

}  // namespace CorlaMeetings::Bench
