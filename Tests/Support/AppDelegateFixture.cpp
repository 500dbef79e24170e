#include "Support/AppDelegateFixture.h"

#include "ui/HeaderView.h"
#include "ui/MeetingCardView.h"

namespace CorlaMeetings::Testing {

std::vector<std::string> AppDelegateFixture::menuOutline() const {
  std::vector<std::string> lines;
  for (const MenuItem& item : menuItems()) {
    switch (item.kind) {
      case MenuItem::Kind::view:
        if (auto card = std::dynamic_pointer_cast<MeetingCardView>(item.view)) {
          lines.push_back("[card] " + card->titleLabel().text);
        } else if (auto status = std::dynamic_pointer_cast<StatusCardView>(item.view)) {
          lines.push_back("[status] " + status->titleLabel().text);
        } else if (std::dynamic_pointer_cast<HeaderView>(item.view)) {
          lines.push_back("[header]");
        }
        break;
      case MenuItem::Kind::sectionTitle: lines.push_back("[section] " + item.title); break;
      case MenuItem::Kind::more: lines.push_back("[more] " + item.title); break;
      case MenuItem::Kind::command:
        lines.push_back(item.title + (item.keyEquivalent.empty() ? "" : " (" + item.keyEquivalent + ")"));
        break;
      case MenuItem::Kind::separator: lines.push_back("---"); break;
    }
  }
  return lines;
}

}  // namespace CorlaMeetings::Testing
