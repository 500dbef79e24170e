#include "Simulated/SimulatedLoginItem.h"

namespace CorlaMeetings {

bool SimulatedLoginItem::registerApplication() {
  ++attemptCount_;
  if (failing_) return false;
  registered_ = true;
  return true;
}

}  // namespace CorlaMeetings
