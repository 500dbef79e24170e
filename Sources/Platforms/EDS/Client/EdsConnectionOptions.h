#pragma once

#include "app/Time.h"

namespace CorlaMeetings {

// How a calendar of the desktop's calendar service is connected to.
struct EdsConnectionOptions {
  // The pause before connecting again after the calendar factory died or a backend failed;
  // it doubles with each failure, up to 64 times this.
  Duration retryDelay = std::chrono::seconds(1);
  // How long the factory may wait for a remote backend to come online before the view
  // opens on what it has cached.
  int onlineWaitSeconds = 5;
};

}  // namespace CorlaMeetings
