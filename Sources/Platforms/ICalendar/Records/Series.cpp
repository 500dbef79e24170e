#include "ICalendar/Records/Series.h"

#include <algorithm>

namespace CorlaMeetings {

using namespace std::chrono;

bool Series::skips(LocalSeconds occurrence) const {
  if (std::binary_search(excluded.begin(), excluded.end(), occurrence)) return true;
  return !excludedDays.empty() && std::binary_search(excludedDays.begin(), excludedDays.end(), floor<days>(occurrence));
}

const SeriesChange* Series::changeFor(LocalSeconds occurrence) const {
  const auto after = std::upper_bound(changes.begin(), changes.end(), occurrence,
                                      [](LocalSeconds time, const SeriesChange& change) { return time < change.from; });
  return after == changes.begin() ? nullptr : &*std::prev(after);
}

}  // namespace CorlaMeetings
