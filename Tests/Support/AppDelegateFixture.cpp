#include "Support/AppDelegateFixture.h"

#include "ui/HeaderView.h"
#include "ui/MeetingCardView.h"

namespace CorlaMeetings::Testing {

std::vector<std::string> AppDelegateFixture::menuOutline() const {
  std::vector<std::string> lines;
  for (const MenuItem& item : menuItems()) {
    std::string line = item.title;
    if (auto card = std::dynamic_pointer_cast<MeetingCardView>(item.view)) {
      line = "[card] " + card->titleLabel().text;
    } else if (auto status = std::dynamic_pointer_cast<StatusCardView>(item.view)) {
      line = "[status] " + status->titleLabel().text;
    } else if (item.view) {
      line = "[header]";
    } else if (item.kind == MenuItem::Kind::sectionTitle) {
      line = "[section] " + line;
    } else if (item.kind == MenuItem::Kind::more) {
      line = "[more] " + line;
    } else if (item.kind == MenuItem::Kind::separator) {
      line = "---";
    } else if (!item.keyEquivalent.empty()) {
      line += " (" + item.keyEquivalent + ")";
    }
    lines.push_back(line);
  }
  return lines;
}

}  // namespace CorlaMeetings::Testing
