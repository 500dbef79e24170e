#include "QtTray/DBusMenuExporter.h"

#include <QTimer>
#include <climits>

#include "QtTray/PanelText.h"
#include "ui/HeaderView.h"
#include "ui/MeetingCardView.h"

namespace CorlaMeetings {

namespace {

// Panels size their menus to the longest label and never cut one short.
constexpr qsizetype kMaxLabelLength = 160;

const QString kType = QStringLiteral("type");
const QString kSeparator = QStringLiteral("separator");

QString entryLabel(const std::string& text) {
  QString label = panelLine(text);
  if (label.size() > kMaxLabelLength) {
    qsizetype cut = kMaxLabelLength;
    if (label.at(cut - 1).isHighSurrogate()) --cut;
    label = label.left(cut) + QChar(0x2026);
  }
  label.replace(u'_', QStringLiteral("__"));
  return label;
}

struct Content {
  QVariantMap properties;
  std::function<void()> action;
};

Content standard(const QString& label, bool enabled, std::function<void()> action = {}) {
  QVariantMap properties{{kType, QStringLiteral("standard")},
                         {QStringLiteral("label"), label},
                         {QStringLiteral("enabled"), enabled},
                         {QStringLiteral("visible"), true}};
  // A disabled entry is never run, whoever asks.
  return {std::move(properties), enabled ? std::move(action) : nullptr};
}

std::optional<Content> viewContent(const std::shared_ptr<View>& view) {
  if (auto card = std::dynamic_pointer_cast<const MeetingCardView>(view)) {
    // The entry keeps the card, and with it the Join button's action, as long as it lives.
    return standard(entryLabel(card->timeLabel().text + "  " + card->titleLabel().text), card->joinButton().enabled,
                    [card] { card->joinButton().press(); });
  }
  if (auto status = std::dynamic_pointer_cast<const StatusCardView>(view)) {
    return standard(entryLabel(status->subtitleLabel().text), false);
  }
  return std::nullopt;
}

std::optional<Content> contentFor(const MenuItem& item) {
  switch (item.kind) {
    case MenuItem::Kind::view: return viewContent(item.view);
    case MenuItem::Kind::sectionTitle:
    case MenuItem::Kind::more: return standard(entryLabel(item.title), false);
    case MenuItem::Kind::command: return standard(entryLabel(item.title), item.enabled && item.action, item.action);
    case MenuItem::Kind::separator: return Content{{{kType, kSeparator}, {QStringLiteral("visible"), true}}, nullptr};
  }
  return std::nullopt;
}

bool isSeparator(const QVariantMap& properties) { return properties.value(kType) == kSeparator; }

QVariantMap filtered(const QVariantMap& properties, const QStringList& names) {
  if (names.isEmpty()) return properties;
  QVariantMap chosen;
  for (const QString& name : names) {
    if (auto found = properties.constFind(name); found != properties.cend()) chosen.insert(name, *found);
  }
  return chosen;
}

int nextEntryId() {
  // Never given out twice while the process lives; wrapping would take billions of rebuilds.
  static int lastId = DBusMenuExporter::kRootId;
  if (lastId == INT_MAX) lastId = DBusMenuExporter::kRootId;
  return ++lastId;
}

}  // namespace

DBusMenuExporter::DBusMenuExporter(QObject* parent)
    : QObject(parent), root_{kRootId, -1, {{QStringLiteral("children-display"), QStringLiteral("submenu")}}, nullptr} {}

DBusMenuExporter::~DBusMenuExporter() {
  if (menu_) menu_->removeChangeObserver(observer_);
}

void DBusMenuExporter::setMenu(std::shared_ptr<Menu> menu) {
  if (menu_) menu_->removeChangeObserver(observer_);
  menu_ = std::move(menu);
  if (menu_) observer_ = menu_->addChangeObserver([this] { scheduleRebuild(); });
  scheduleRebuild();
}

// The model reports every item of a rebuild; one layout covers the whole burst.
void DBusMenuExporter::scheduleRebuild() {
  if (rebuildPending_) return;
  rebuildPending_ = true;
  QMetaObject::invokeMethod(this, &DBusMenuExporter::rebuild, Qt::QueuedConnection);
}

void DBusMenuExporter::rebuild() {
  rebuildPending_ = false;
  entries_.clear();
  int cardsGoTo = kRootId;
  bool firstDay = true;
  const std::vector<MenuItem> noItems;
  for (const MenuItem& item : menu_ ? menu_->items() : noItems) {
    if (item.kind == MenuItem::Kind::sectionTitle && !firstDay) {
      add(kRootId,
          {{kType, QStringLiteral("standard")},
           {QStringLiteral("label"), entryLabel(item.title)},
           {QStringLiteral("enabled"), true},
           {QStringLiteral("visible"), true},
           {QStringLiteral("children-display"), QStringLiteral("submenu")}},
          nullptr);
      cardsGoTo = entries_.back().id;
      continue;
    }
    if (item.kind == MenuItem::Kind::sectionTitle) firstDay = false;
    const bool isCard =
        item.kind == MenuItem::Kind::view && std::dynamic_pointer_cast<const MeetingCardView>(item.view);
    if (!isCard) cardsGoTo = kRootId;
    std::optional<Content> content = contentFor(item);
    if (content) add(cardsGoTo, std::move(content->properties), std::move(content->action));
  }
  if (!entries_.empty() && isSeparator(entries_.back().properties)) entries_.pop_back();
  ++revision_;
  emit layoutUpdated(revision_, kRootId);
}

void DBusMenuExporter::add(int parent, QVariantMap properties, std::function<void()> action) {
  // Separators only part entries of the root: none first, and never two in a row.
  if (isSeparator(properties) && (entries_.empty() || isSeparator(entries_.back().properties))) return;
  entries_.push_back({nextEntryId(), parent, std::move(properties), std::move(action)});
}

const DBusMenuExporter::Entry* DBusMenuExporter::find(int id) const {
  if (id == kRootId) return &root_;
  for (const Entry& entry : entries_) {
    if (entry.id == id) return &entry;
  }
  return nullptr;
}

std::optional<DBusMenuLayoutItem> DBusMenuExporter::layout(int id, int depth, const QStringList& names) const {
  const Entry* entry = find(id);
  if (!entry) return std::nullopt;
  return layoutOf(*entry, depth, names);
}

DBusMenuLayoutItem DBusMenuExporter::layoutOf(const Entry& entry, int depth, const QStringList& names) const {
  DBusMenuLayoutItem item{entry.id, filtered(entry.properties, names), {}};
  if (depth == 0) return item;
  for (const Entry& child : entries_) {
    if (child.parent == entry.id) item.children.append(layoutOf(child, depth - 1, names));
  }
  return item;
}

std::optional<QVariantMap> DBusMenuExporter::properties(int id, const QStringList& names) const {
  const Entry* entry = find(id);
  if (!entry) return std::nullopt;
  return filtered(entry->properties, names);
}

QList<int> DBusMenuExporter::ids() const {
  QList<int> all{kRootId};
  for (const Entry& entry : entries_) all.append(entry.id);
  return all;
}

bool DBusMenuExporter::activate(int id) {
  const Entry* entry = find(id);
  if (!entry) return false;
  if (entry->action) QTimer::singleShot(0, this, [action = entry->action] { action(); });
  return true;
}

}  // namespace CorlaMeetings
