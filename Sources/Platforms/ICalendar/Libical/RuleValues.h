#pragma once

#include <libical/ical.h>

#include <cstddef>
#include <vector>

namespace CorlaMeetings {

// The values of one BY part of libical's form of an RRULE, up to its end marker.
template <std::size_t N>
std::vector<int> ruleValues(const short (&part)[N]) {
  std::vector<int> result;
  for (std::size_t i = 0; i < N && part[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) result.push_back(part[i]);
  return result;
}

// Whether the BY part holds any value.
template <std::size_t N>
bool hasRuleValues(const short (&part)[N]) {
  return part[0] != ICAL_RECURRENCE_ARRAY_MAX;
}

}  // namespace CorlaMeetings
