#include "StatusBarLine.h"

#include <QJsonDocument>
#include <QJsonObject>

#include "meetings/PlainText.h"
#include "ui/HeaderView.h"

namespace CorlaMeetings {

namespace {

// Names that bar styles already select on.
std::string className(StatusState state) {
  switch (state) {
    case StatusState::noAccess: return "alert";
    case StatusState::live: return "live";
    case StatusState::soon: return "soon";
    case StatusState::brand: break;
  }
  return "idle";
}

}  // namespace

StatusBarState statusBarState(const StatusTitle& title, const Menu& menu) {
  StatusBarState state;
  state.title = singleLine(title.text);
  state.className = className(title.state);

  for (const MenuItem& item : menu.items()) {
    if (auto header = std::dynamic_pointer_cast<const HeaderView>(item.view)) {
      state.tooltip = singleLine(header->headlineLabel().text) + "\n" + singleLine(header->detailLabel().text);
      break;
    }
    if (auto status = std::dynamic_pointer_cast<const StatusCardView>(item.view)) {
      state.tooltip = singleLine(status->subtitleLabel().text) + "\n" + singleLine(status->detailLabel().text);
      break;
    }
  }
  return state;
}

std::string statusBarLine(const StatusBarState& state, bool json) {
  if (!json) return state.title;
  QJsonObject object;
  object.insert("text", QString::fromStdString(state.title));
  object.insert("tooltip", QString::fromStdString(state.tooltip));
  object.insert("class", QString::fromStdString(state.className));
  return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

}  // namespace CorlaMeetings
