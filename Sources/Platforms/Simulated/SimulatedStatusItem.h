#pragma once

#include <memory>
#include <utility>

#include "Simulated/SimulatedStatusButton.h"
#include "app/StatusItem.h"

namespace CorlaMeetings {

// A status item in no panel. Main thread.
class SimulatedStatusItem : public StatusItem {
 public:
  StatusButton* button() override { return &button_; }
  void setMenu(std::shared_ptr<Menu> menu) override { menu_ = std::move(menu); }

  const SimulatedStatusButton& simulatedButton() const { return button_; }
  // The menu last attached.
  std::shared_ptr<Menu> menu() const { return menu_; }

 private:
  SimulatedStatusButton button_;
  std::shared_ptr<Menu> menu_;
};

}  // namespace CorlaMeetings
