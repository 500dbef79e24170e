#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QPoint>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "app/StatusItem.h"

class QDBusServiceWatcher;
class QSystemTrayIcon;

namespace CorlaMeetings {

class Menu;
class StatusNotifierItem;

// The status item in the desktop's panel. A StatusNotifierItem where a watcher is on the
// bus (its label and Title carry the status title); otherwise Qt's own tray icon, whose tool
// tip carries it. Either way the icon shows the title's state, for panels that show no
// text. A watcher that appears later takes the item over from Qt's icon, and one that
// restarts learns of the item again. Main thread; a QApplication must exist.
class TrayStatusItem : public QObject, public StatusItem, private StatusButton {
  Q_OBJECT

 public:
  // Opens the drop-down of `menu` at `at`, in global screen coordinates.
  using MenuOpener = std::function<void(std::shared_ptr<Menu> menu, QPoint at)>;

  enum class Presentation { statusNotifierItem, systemTrayIcon };

  // On the session bus.
  explicit TrayStatusItem(MenuOpener openMenu);
  TrayStatusItem(QDBusConnection connection, MenuOpener openMenu);
  ~TrayStatusItem() override;

  StatusButton* button() override { return this; }
  // A click on the item opens `menu`; before a menu is attached a click does nothing. The
  // panels that draw a menu themselves show `menu` too, kept current.
  void setMenu(std::shared_ptr<Menu> menu) override;

  Presentation presentation() const;
  StatusState iconState() const { return iconState_; }
  // Qt's icon while it stands in; null otherwise.
  QSystemTrayIcon* systemTrayIcon() const { return systemTrayIcon_; }

 private:
  void setTitle(const StatusTitle& title) override;
  void setToolTip(const std::string& toolTip) override;

  void watcherAppeared();
  bool showStatusNotifierItem();
  void showSystemTrayIcon();
  void updateSystemTrayIcon();
  void openMenu(QPoint at);

  QDBusConnection connection_;
  MenuOpener openMenu_;
  std::shared_ptr<Menu> menu_;
  QString title_;
  QString toolTip_;
  StatusState iconState_ = StatusState::brand;
  QDBusServiceWatcher* watcher_;  // a Qt child
  std::unique_ptr<StatusNotifierItem> statusNotifierItem_;
  QSystemTrayIcon* systemTrayIcon_ = nullptr;  // a Qt child, while it stands in
};

}  // namespace CorlaMeetings
