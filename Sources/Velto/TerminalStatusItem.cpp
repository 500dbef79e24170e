#include "TerminalStatusItem.h"

namespace CorlaMeetings {

void TerminalStatusItem::setMenu(std::shared_ptr<Menu> menu) {
  menu_ = std::move(menu);
  if (menu_) {
    menu_->setChangeObserver([this] {
      if (menuObserver_) menuObserver_();
    });
  }
}

}  // namespace CorlaMeetings
