#pragma once

#include <unicode/basictz.h>

#include <chrono>
#include <memory>
#include <string>

#include "ICalendar/Zones/LocalSeconds.h"
#include "app/Time.h"

namespace CorlaMeetings {

class DefinedTimeZone;

// A time zone of a calendar: converts between wall-clock times in it and instants. One of
// ICU's zones, or one a calendar defines (DefinedTimeZone).
// Immutable once made; const use is safe from several threads (ICU's zones are).
class EventTimeZone {
 public:
  explicit EventTimeZone(std::unique_ptr<icu::TimeZone> zone);
  explicit EventTimeZone(std::unique_ptr<DefinedTimeZone> zone);
  ~EventTimeZone();

  static const EventTimeZone& utc();
  // The process's zone as ICU sees it now (from TZ or the system): what floating times and
  // all-day dates mean. Made afresh for each query, so a change of zone is honoured.
  static std::unique_ptr<EventTimeZone> current();
  // The ID of that zone ("Europe/Berlin"): what floating times depend on.
  static std::string currentId();

  // The instant a wall-clock time names. A time the clocks skip is read with the offset
  // from before the change (02:30 on a spring-forward night is 03:30 new time); a time
  // they pass twice means its first passing.
  Instant instantAt(LocalSeconds local) const;

  // The wall-clock time at `t`, in whole seconds rounded down.
  LocalSeconds localAt(Instant t) const;

 private:
  Instant definedInstantAt(LocalSeconds local) const;

  std::unique_ptr<icu::TimeZone> zone_;        // null for a defined zone
  const icu::BasicTimeZone* basic_ = nullptr;  // zone_ as a BasicTimeZone, if it is one
  std::unique_ptr<DefinedTimeZone> defined_;
};

}  // namespace CorlaMeetings
