#pragma once

#include <memory>
#include <string>

#include "ui/StatusTitle.h"

namespace CorlaMeetings {

class Menu;

// The button of the status item: what the panel shows.
class StatusButton {
 public:
  virtual ~StatusButton() = default;
  virtual void setTitle(const StatusTitle& title) = 0;
  virtual void setToolTip(const std::string& toolTip) = 0;
};

// The application's item in the desktop's panel, for the life of the process.
class StatusItem {
 public:
  virtual ~StatusItem() = default;
  // Null where the panel gives the item no button; callers then skip title and tool tip.
  virtual StatusButton* button() = 0;
  // A click on the item opens `menu`.
  virtual void setMenu(std::shared_ptr<Menu> menu) = 0;
};

}  // namespace CorlaMeetings
