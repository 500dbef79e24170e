#pragma once

#include <functional>

namespace CorlaMeetings {

// A check of whether the session bus has the desktop's calendar service (Evolution Data
// Server's source registry), running or ready to be started: the default source list reads
// it only then. The environment is read now; the check, made on each call, asks the bus and
// blocks for up to a second, so call it off the main thread. Without a session bus it
// answers no, and never starts one.
std::function<bool()> desktopCalendarServiceCheck();

}  // namespace CorlaMeetings
