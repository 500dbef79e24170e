#include "QtTray/StatusNotifierItemAdaptor.h"

#include "QtTray/StatusNotifierItem.h"

namespace CorlaMeetings {

StatusNotifierItemAdaptor::StatusNotifierItemAdaptor(StatusNotifierItem* item)
    : QDBusAbstractAdaptor(item), item_(item) {}

QString StatusNotifierItemAdaptor::title() const { return item_->title(); }

StatusNotifierPixmaps StatusNotifierItemAdaptor::iconPixmap() const { return item_->iconPixmaps(); }

StatusNotifierToolTip StatusNotifierItemAdaptor::toolTip() const { return item_->toolTip(); }

QDBusObjectPath StatusNotifierItemAdaptor::menu() const {
  return QDBusObjectPath(QString::fromLatin1(StatusNotifierItem::kMenuPath));
}

void StatusNotifierItemAdaptor::Activate(int x, int y) { item_->requestMenu(QPoint(x, y)); }

// A middle click: nothing is bound to it.
void StatusNotifierItemAdaptor::SecondaryActivate(int, int) {}

void StatusNotifierItemAdaptor::ContextMenu(int x, int y) { item_->requestMenu(QPoint(x, y)); }

void StatusNotifierItemAdaptor::Scroll(int, const QString&) {}

}  // namespace CorlaMeetings
