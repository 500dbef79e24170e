#include "Platforms/QtTray/TestBus.h"

#include <memory>

namespace CorlaMeetings {

namespace {

std::unique_ptr<PrivateSessionBus>& bus() {
  static std::unique_ptr<PrivateSessionBus> theBus;
  return theBus;
}

}  // namespace

PrivateSessionBus& testBus() {
  if (!bus()) bus() = std::make_unique<PrivateSessionBus>();
  return *bus();
}

void stopTestBus() { bus().reset(); }

}  // namespace CorlaMeetings
