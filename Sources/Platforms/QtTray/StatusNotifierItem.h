#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QPoint>
#include <QString>
#include <functional>
#include <memory>

#include "QtTray/StatusNotifierTypes.h"
#include "ui/StatusTitle.h"

namespace CorlaMeetings {

class DBusMenuExporter;
class Menu;
class StatusNotifierItemAdaptor;

// The tray item as panels read it: an org.kde.StatusNotifierItem object at
// /StatusNotifierItem under a bus name of its own, with the status title as its text label
// (XAyatanaLabel, for the panels that show one) and as its Title. A click (Activate) comes
// back here and the drop-down, with its meeting cards, is ours to open. For the panels that
// draw a menu of their own on a right click, the menu is also on the bus at /MenuBar
// (com.canonical.dbusmenu; see DBusMenuExporter), from the moment the item is. Main thread.
class StatusNotifierItem : public QObject {
  Q_OBJECT

 public:
  static constexpr char kWatcherService[] = "org.kde.StatusNotifierWatcher";
  static constexpr char kWatcherPath[] = "/StatusNotifierWatcher";
  static constexpr char kObjectPath[] = "/StatusNotifierItem";
  static constexpr char kMenuPath[] = "/MenuBar";

  // A click asking for the drop-down, at the point the panel gives (global coordinates;
  // some panels send 0,0). Called from the event loop, after the panel has its answer.
  using MenuRequest = std::function<void(QPoint at)>;

  // Claims "org.kde.StatusNotifierItem-<pid>-<n>" on `connection` and exports the item;
  // null when the bus refuses either.
  static std::unique_ptr<StatusNotifierItem> create(QDBusConnection connection, MenuRequest requestMenu);
  ~StatusNotifierItem() override;

  const QString& serviceName() const { return serviceName_; }

  // Announces the item to the watcher, without waiting for its answer. Needed again each
  // time a watcher appears: a new one knows nothing of the items before it.
  void registerWithWatcher();

  // Each setter tells the panels only when something changed.
  void setTitle(const QString& title);
  void setToolTip(const QString& toolTip);
  void setIconState(StatusState state);
  // The menu the panels draw themselves; empty until one is given.
  void setMenu(std::shared_ptr<Menu> menu);

  // What the D-Bus properties read.
  const QString& title() const { return title_; }
  StatusNotifierToolTip toolTip() const;
  const StatusNotifierPixmaps& iconPixmaps() const { return iconPixmaps_; }

  // What the D-Bus methods call.
  void requestMenu(QPoint at);

 private:
  StatusNotifierItem(QDBusConnection connection, QString serviceName, MenuRequest requestMenu);

  QDBusConnection connection_;
  QString serviceName_;
  MenuRequest requestMenu_;
  StatusNotifierItemAdaptor* adaptor_;  // a Qt child of this object
  DBusMenuExporter* menuExporter_;      // a Qt child of this object
  QString title_;
  QString toolTip_;
  StatusState iconState_ = StatusState::brand;
  StatusNotifierPixmaps iconPixmaps_;
};

}  // namespace CorlaMeetings
