#include "QtTray/TrayStatusItem.h"

#include <QCursor>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QSystemTrayIcon>
#include <QTextDocument>

#include "QtTray/PanelText.h"
#include "QtTray/StatusNotifierItem.h"
#include "QtTray/TrayIconPainter.h"
#include "ui/Menu.h"

namespace CorlaMeetings {

TrayStatusItem::TrayStatusItem(MenuOpener openMenu)
    : TrayStatusItem(QDBusConnection::sessionBus(), std::move(openMenu)) {}

TrayStatusItem::TrayStatusItem(QDBusConnection connection, MenuOpener openMenu)
    : connection_(std::move(connection)),
      openMenu_(std::move(openMenu)),
      watcher_(new QDBusServiceWatcher(QString::fromLatin1(StatusNotifierItem::kWatcherService), connection_,
                                       QDBusServiceWatcher::WatchForRegistration, this)) {
  connect(watcher_, &QDBusServiceWatcher::serviceRegistered, this, &TrayStatusItem::watcherAppeared);
  QDBusConnectionInterface* bus = connection_.isConnected() ? connection_.interface() : nullptr;
  bool watcherRuns = bus && bus->isServiceRegistered(QString::fromLatin1(StatusNotifierItem::kWatcherService));
  if (!watcherRuns || !showStatusNotifierItem()) showSystemTrayIcon();
}

TrayStatusItem::~TrayStatusItem() = default;

TrayStatusItem::Presentation TrayStatusItem::presentation() const {
  return statusNotifierItem_ ? Presentation::statusNotifierItem : Presentation::systemTrayIcon;
}

void TrayStatusItem::setMenu(std::shared_ptr<Menu> menu) {
  menu_ = std::move(menu);
  if (statusNotifierItem_) statusNotifierItem_->setMenu(menu_);
}

void TrayStatusItem::setTitle(const StatusTitle& title) {
  title_ = panelLine(title.text);
  iconState_ = title.state;
  if (statusNotifierItem_) {
    statusNotifierItem_->setTitle(title_);
    statusNotifierItem_->setIconState(iconState_);
  }
  updateSystemTrayIcon();
}

void TrayStatusItem::setToolTip(const std::string& toolTip) {
  toolTip_ = panelLine(toolTip);
  if (statusNotifierItem_) statusNotifierItem_->setToolTip(toolTip_);
  updateSystemTrayIcon();
}

void TrayStatusItem::watcherAppeared() {
  if (statusNotifierItem_) {
    statusNotifierItem_->registerWithWatcher();
    return;
  }
  // One item in the panel: Qt's icon goes once ours is there. Later, since its click may be
  // what is running now.
  if (!showStatusNotifierItem() || !systemTrayIcon_) return;
  systemTrayIcon_->hide();
  systemTrayIcon_->deleteLater();
  systemTrayIcon_ = nullptr;
}

bool TrayStatusItem::showStatusNotifierItem() {
  statusNotifierItem_ = StatusNotifierItem::create(connection_, [this](QPoint at) { openMenu(at); });
  if (!statusNotifierItem_) return false;
  statusNotifierItem_->setTitle(title_);
  statusNotifierItem_->setToolTip(toolTip_);
  statusNotifierItem_->setIconState(iconState_);
  statusNotifierItem_->setMenu(menu_);
  statusNotifierItem_->registerWithWatcher();
  return true;
}

void TrayStatusItem::showSystemTrayIcon() {
  systemTrayIcon_ = new QSystemTrayIcon(this);
  connect(systemTrayIcon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    // A double click is a click already answered.
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context) openMenu(QCursor::pos());
  });
  updateSystemTrayIcon();
  systemTrayIcon_->show();
}

void TrayStatusItem::updateSystemTrayIcon() {
  if (!systemTrayIcon_) return;
  systemTrayIcon_->setIcon(trayIcon(iconState_));
  // Rich text by construction, so that a meeting name is never read as markup.
  QString text = toolTip_.isEmpty() || title_.isEmpty() ? toolTip_ + title_ : toolTip_ + u'\n' + title_;
  systemTrayIcon_->setToolTip(Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal));
}

void TrayStatusItem::openMenu(QPoint at) {
  if (!menu_ || !openMenu_) return;
  // As the panel gave it, origin and item-relative points included: the drop-down knows
  // better than the item where the pointer can be trusted.
  openMenu_(menu_, at);
}

}  // namespace CorlaMeetings
