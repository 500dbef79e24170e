#include "Simulated/SimulatedStatusButton.h"

namespace CorlaMeetings {

void SimulatedStatusButton::setTitle(const std::string& title) {
  title_ = title;
  titleHistory_.push_back(title);
}

}  // namespace CorlaMeetings
