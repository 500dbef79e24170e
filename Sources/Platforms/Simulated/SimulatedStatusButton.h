#pragma once

#include <string>
#include <vector>

#include "app/StatusItem.h"

namespace CorlaMeetings {

// The panel button of a SimulatedStatusItem: shows nothing, remembers every title it was
// given, repeats included, so tests can follow the title over time. Main thread.
class SimulatedStatusButton : public StatusButton {
 public:
  void setTitle(const std::string& title) override;
  void setToolTip(const std::string& toolTip) override { toolTip_ = toolTip; }

  const std::string& title() const { return title_; }
  const std::string& toolTip() const { return toolTip_; }
  const std::vector<std::string>& titleHistory() const { return titleHistory_; }

 private:
  std::string title_;
  std::string toolTip_;
  std::vector<std::string> titleHistory_;
};

}  // namespace CorlaMeetings
