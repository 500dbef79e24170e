#pragma once

#include <mutex>

namespace CorlaMeetings {

// The one lock around every libical call in the process. libical keeps process-wide state
// (its error number, the built-in time zone cache, temporary string buffers) that is not
// safe to touch from two threads at once, and calendars are parsed on worker threads while
// the main thread queries. Hold it only for the libical calls themselves, never while
// waiting for anything else. The first call also makes libical's errors non-fatal: untrusted
// text must never abort the process.
std::mutex& libicalMutex();

}  // namespace CorlaMeetings
