#pragma once

#include "Platforms/Qt/PrivateSessionBus.h"

namespace CorlaMeetings {

// The one private bus of this test binary, started on first use; each test leaves it as it
// found it (its names released, its objects gone). Stopped by main while the application
// still exists.
PrivateSessionBus& testBus();
void stopTestBus();

}  // namespace CorlaMeetings
