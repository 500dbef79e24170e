#include "ui/MenuText.h"

#include "meetings/PlainText.h"
#include "ui/HeaderView.h"
#include "ui/MeetingCardView.h"

namespace CorlaMeetings {

namespace {

std::string joined(std::initializer_list<std::string> parts) {
  std::string line;
  for (const std::string& part : parts) {
    if (!line.empty()) line += " | ";
    line += singleLine(part);
  }
  return line;
}

std::string viewLine(const View& view) {
  if (auto card = dynamic_cast<const MeetingCardView*>(&view)) {
    const Button& join = card->joinButton();
    std::string action =
        join.enabled && card->item().joinURL ? "Join " + card->item().joinURL->absoluteString() : join.title;
    return "[meeting] " + joined({card->timeLabel().text, card->titleLabel().text, card->locationLabel().text,
                                  card->statusLabel().text, action});
  }
  if (auto header = dynamic_cast<const HeaderView*>(&view)) {
    return "[header] " + joined({header->brandLabel().text, header->headlineLabel().text, header->countLabel().text,
                                 header->detailLabel().text});
  }
  if (auto status = dynamic_cast<const StatusCardView*>(&view)) {
    return "[status] " + joined({status->titleLabel().text, status->subtitleLabel().text, status->detailLabel().text});
  }
  return "[view]";
}

}  // namespace

std::vector<std::string> menuTextLines(const Menu& menu) {
  std::vector<std::string> lines;
  for (const MenuItem& item : menu.items()) {
    switch (item.kind) {
      case MenuItem::Kind::view: lines.push_back(item.view ? viewLine(*item.view) : "[view]"); break;
      case MenuItem::Kind::sectionTitle: lines.push_back("[section] " + singleLine(item.title)); break;
      case MenuItem::Kind::more: lines.push_back("[more] " + singleLine(item.title)); break;
      case MenuItem::Kind::command:
        lines.push_back("[command] " + singleLine(item.title) +
                        (item.keyEquivalent.empty() ? "" : " (" + item.keyEquivalent + ")"));
        break;
      case MenuItem::Kind::separator: lines.push_back("---"); break;
    }
  }
  return lines;
}

}  // namespace CorlaMeetings
