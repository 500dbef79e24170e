#include "Simulated/SimulatedStatusItem.h"

#include <utility>

namespace CorlaMeetings {

SimulatedStatusItem::SimulatedStatusItem(bool hasButton) {
  if (hasButton) button_.emplace();
}

void SimulatedStatusItem::setMenu(std::shared_ptr<Menu> menu) {
  menu_ = std::move(menu);
  ++setMenuCount_;
}

}  // namespace CorlaMeetings
