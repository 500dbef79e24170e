#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/StatusItem.h"
#include "ui/Menu.h"

namespace CorlaMeetings {

// The status item of the terminal front ends: keeps the title, tool tip and menu for them
// to print. Main thread.
class TerminalStatusItem : public StatusItem, private StatusButton {
 public:
  StatusButton* button() override { return this; }
  void setMenu(std::shared_ptr<Menu> menu) override;

  const StatusTitle& title() const { return title_; }
  const std::string& toolTip() const { return toolTip_; }
  std::shared_ptr<const Menu> menu() const { return menu_; }

  // Runs after every change of the attached menu; a rebuild is a burst of changes.
  void setMenuObserver(std::function<void()> observer) { menuObserver_ = std::move(observer); }

 private:
  void setTitle(const StatusTitle& title) override { title_ = title; }
  void setToolTip(const std::string& toolTip) override { toolTip_ = toolTip; }

  StatusTitle title_;
  std::string toolTip_;
  std::shared_ptr<Menu> menu_;
  std::function<void()> menuObserver_;
};

}  // namespace CorlaMeetings
