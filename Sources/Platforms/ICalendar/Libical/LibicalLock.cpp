#include "ICalendar/Libical/LibicalLock.h"

#include <libical/ical.h>

namespace CorlaMeetings {

std::mutex& libicalMutex() {
  static std::mutex* mutex = [] {
    icalerror_set_errors_are_fatal(0);
    return new std::mutex;  // never destroyed: worker threads may still parse at exit
  }();
  return *mutex;
}

}  // namespace CorlaMeetings
