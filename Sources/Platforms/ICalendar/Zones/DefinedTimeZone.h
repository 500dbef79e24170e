#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "app/Time.h"

typedef struct _icaltimezone icaltimezone;

namespace CorlaMeetings {

// A zone as a calendar's VTIMEZONE defines it, evaluated by libical's zone code, which
// reads a definition as written: every DTSTART, RDATE and RRULE of its observances is an
// onset, and the observance with the latest onset at or before an instant applies. ICU's
// reader loses the first onset of an observance that lists RDATEs, and refuses valid
// definitions (several yearly rules without UNTIL), so it is not used for definitions.
//
// Immutable to its users; any thread. libical expands a zone's changes as later years are
// asked for, so every use takes libicalMutex().
class DefinedTimeZone {
 public:
  // Null when libical makes no complete zone of `text` (a VTIMEZONE block): an observance
  // it cannot read whole would silently shift its times. Takes libicalMutex(), and pays
  // libical's expansion up to a few years from now here rather than in a query.
  static std::unique_ptr<DefinedTimeZone> read(const std::string& text);
  ~DefinedTimeZone();
  DefinedTimeZone(const DefinedTimeZone&) = delete;
  DefinedTimeZone& operator=(const DefinedTimeZone&) = delete;

  // The offset from UTC in force at `t`. After 2577 the rules are read 400 years earlier
  // (the calendar repeats), as libical expands no further.
  std::chrono::seconds offsetAt(Instant t) const;

 private:
  explicit DefinedTimeZone(icaltimezone* zone) : zone_(zone) {}
  icaltimezone* zone_;
};

}  // namespace CorlaMeetings
