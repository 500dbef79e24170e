#pragma once

#include <memory>
#include <optional>

#include "Simulated/SimulatedStatusButton.h"
#include "app/StatusItem.h"

namespace CorlaMeetings {

// A status item in no panel. It may be made without a button, as some panels give none.
// Main thread.
class SimulatedStatusItem : public StatusItem {
 public:
  explicit SimulatedStatusItem(bool hasButton = true);

  StatusButton* button() override { return simulatedButton(); }
  void setMenu(std::shared_ptr<Menu> menu) override;

  // Null when made without a button.
  SimulatedStatusButton* simulatedButton() { return button_ ? &*button_ : nullptr; }
  const SimulatedStatusButton* simulatedButton() const { return button_ ? &*button_ : nullptr; }
  // The menu last attached, and how often one was.
  std::shared_ptr<Menu> menu() const { return menu_; }
  int setMenuCount() const { return setMenuCount_; }

 private:
  std::optional<SimulatedStatusButton> button_;
  std::shared_ptr<Menu> menu_;
  int setMenuCount_ = 0;
};

}  // namespace CorlaMeetings
