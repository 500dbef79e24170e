#include "QtTray/StatusNotifierItem.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QTimer>

#include "QtTray/DBusMenuAdaptor.h"
#include "QtTray/DBusMenuExporter.h"
#include "QtTray/StatusNotifierItemAdaptor.h"
#include "QtTray/TrayIconPainter.h"

namespace CorlaMeetings {

namespace {

StatusNotifierPixmaps pixmapsFor(StatusState state) {
  StatusNotifierPixmaps pixmaps;
  for (int size : kTrayIconSizes) pixmaps.append(toStatusNotifierPixmap(paintTrayIcon(state, size)));
  return pixmaps;
}

}  // namespace

std::unique_ptr<StatusNotifierItem> StatusNotifierItem::create(QDBusConnection connection, MenuRequest requestMenu) {
  if (!connection.isConnected()) return nullptr;
  registerStatusNotifierTypes();
  registerDBusMenuTypes();
  // The count keeps apart the items of one process: a replaced item's name stays taken
  // until the bus has seen it go.
  static int itemCount = 0;
  QString serviceName =
      QStringLiteral("org.kde.StatusNotifierItem-%1-%2").arg(QCoreApplication::applicationPid()).arg(++itemCount);
  if (!connection.registerService(serviceName)) return nullptr;
  std::unique_ptr<StatusNotifierItem> item(new StatusNotifierItem(connection, serviceName, std::move(requestMenu)));
  // The menu before the item: panels read it as soon as the item registers.
  const auto exportAt = [&](const char* path, QObject* object) {
    return connection.registerObject(QString::fromLatin1(path), object, QDBusConnection::ExportAdaptors);
  };
  if (!exportAt(kMenuPath, item->menuExporter_) || !exportAt(kObjectPath, item.get())) return nullptr;
  return item;
}

StatusNotifierItem::StatusNotifierItem(QDBusConnection connection, QString serviceName, MenuRequest requestMenu)
    : connection_(std::move(connection)),
      serviceName_(std::move(serviceName)),
      requestMenu_(std::move(requestMenu)),
      adaptor_(new StatusNotifierItemAdaptor(this)),
      menuExporter_(new DBusMenuExporter(this)),
      iconPixmaps_(pixmapsFor(iconState_)) {
  new DBusMenuAdaptor(menuExporter_);
}

StatusNotifierItem::~StatusNotifierItem() {
  // The watcher sees the name go and drops the item from the panel.
  connection_.unregisterObject(QString::fromLatin1(kObjectPath));
  connection_.unregisterObject(QString::fromLatin1(kMenuPath));
  connection_.unregisterService(serviceName_);
}

void StatusNotifierItem::registerWithWatcher() {
  QDBusMessage call = QDBusMessage::createMethodCall(
      QString::fromLatin1(kWatcherService), QString::fromLatin1(kWatcherPath), QString::fromLatin1(kWatcherService),
      QStringLiteral("RegisterStatusNotifierItem"));
  call << serviceName_;
  // Nothing to do with a refusal: the item simply stays off that panel.
  connection_.send(call);
}

void StatusNotifierItem::setTitle(const QString& title) {
  if (title == title_) return;
  title_ = title;
  emit adaptor_->NewTitle();
  emit adaptor_->XAyatanaNewLabel(title_, QString());
  emit adaptor_->NewToolTip();
}

void StatusNotifierItem::setToolTip(const QString& toolTip) {
  if (toolTip == toolTip_) return;
  toolTip_ = toolTip;
  emit adaptor_->NewToolTip();
}

void StatusNotifierItem::setIconState(StatusState state) {
  if (state == iconState_) return;
  iconState_ = state;
  iconPixmaps_ = pixmapsFor(state);
  emit adaptor_->NewIcon();
}

void StatusNotifierItem::setMenu(std::shared_ptr<Menu> menu) { menuExporter_->setMenu(std::move(menu)); }

StatusNotifierToolTip StatusNotifierItem::toolTip() const {
  // Panels that show no label still show the title when the pointer rests on the item.
  return {QString(), {}, toolTip_, title_.toHtmlEscaped()};
}

void StatusNotifierItem::requestMenu(QPoint at) {
  // After the reply: a drop-down that runs an event loop of its own must not keep the
  // panel's call waiting.
  QTimer::singleShot(0, this, [this, at] {
    if (requestMenu_) requestMenu_(at);
  });
}

}  // namespace CorlaMeetings
