#pragma once

#include <QDBusContext>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "QtTray/DBusMenuTypes.h"
#include "ui/Menu.h"

namespace CorlaMeetings {

// The status item's Menu as the menu a panel draws with its own widgets (KDE, Xfce, waybar
// and others read it over com.canonical.dbusmenu on a right click; GNOME's extension on a
// left one). A root, id 0, holds the entries in the model's order:
//   a meeting card      "<time range>  <title>", chosen: the card's Join button, enabled
//                       as that button is
//   a status card       its subtitle, disabled
//   the first day       its title, disabled, then its meetings
//   each later day      a submenu titled as the day, holding its meetings
//   "+ N more ..."      disabled
//   a command           its title, chosen: its action
//   a separator         a separator, never first, last or twice in a row
// The header is left out: the panel's menu is the list, not the summary. Later days go into
// submenus because panel menus do not scroll: four days of meetings would push the commands
// off the screen.
//
// The entries are rebuilt after the model changes, once per burst, each time with ids never
// given out before in this process: an event meant for an entry of an older layout finds
// nothing, rather than running whatever took its place. Labels are one line, with "_"
// doubled since panels read a single one as a mnemonic mark. Main thread.
//
// This is the object exported on the bus, with a DBusMenuAdaptor; Qt gives the context of a
// call (to answer it with an error) to the object, not to its adaptor.
class DBusMenuExporter : public QObject, protected QDBusContext {
  Q_OBJECT
  friend class DBusMenuAdaptor;

 public:
  static constexpr int kRootId = 0;

  explicit DBusMenuExporter(QObject* parent = nullptr);
  ~DBusMenuExporter() override;

  // Follows `menu` from now on; until one is given (or with null) the root is empty.
  void setMenu(std::shared_ptr<Menu> menu);

  // Counts the layouts published, from 1.
  uint revision() const { return revision_; }

  // Entry `id` and its children down to `depth` levels (-1: all), each with the properties
  // named in `names` (empty: all); nothing for an unknown id.
  std::optional<DBusMenuLayoutItem> layout(int id, int depth, const QStringList& names) const;
  std::optional<QVariantMap> properties(int id, const QStringList& names) const;
  bool contains(int id) const { return find(id) != nullptr; }
  // Every entry's id, the root's first.
  QList<int> ids() const;

  // Runs the action of entry `id` from the event loop, after the caller has returned (an
  // action may quit or open a browser); nothing for a disabled entry. False for an id not
  // in the current layout.
  bool activate(int id);

 signals:
  // A new layout under `parentId`, with revision `revision`.
  void layoutUpdated(uint revision, int parentId);

 private:
  struct Entry {
    int id = 0;
    int parent = kRootId;
    QVariantMap properties;
    std::function<void()> action;
  };

  void add(int parent, QVariantMap properties, std::function<void()> action);
  DBusMenuLayoutItem layoutOf(const Entry& entry, int depth, const QStringList& names) const;

  void scheduleRebuild();
  void rebuild();
  const Entry* find(int id) const;

  std::shared_ptr<Menu> menu_;
  Menu::ObserverId observer_ = 0;
  Entry root_;
  std::vector<Entry> entries_;
  uint revision_ = 1;
  bool rebuildPending_ = false;
};

}  // namespace CorlaMeetings
