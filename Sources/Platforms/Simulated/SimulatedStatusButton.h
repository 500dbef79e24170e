#pragma once

#include <string>

#include "app/StatusItem.h"

namespace CorlaMeetings {

// The panel button of a SimulatedStatusItem: shows nothing, keeps the title and tool tip it
// was given. Main thread.
class SimulatedStatusButton : public StatusButton {
 public:
  void setTitle(const StatusTitle& title) override { title_ = title; }
  void setToolTip(const std::string& toolTip) override { toolTip_ = toolTip; }

  const StatusTitle& title() const { return title_; }
  const std::string& toolTip() const { return toolTip_; }

 private:
  StatusTitle title_;
  std::string toolTip_;
};

}  // namespace CorlaMeetings
