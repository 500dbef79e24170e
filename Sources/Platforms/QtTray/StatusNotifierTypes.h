#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QImage>
#include <QList>
#include <QMetaType>
#include <QString>

namespace CorlaMeetings {

// One image of an item's icon as panels read it over D-Bus: (iiay), ARGB32 pixels in
// network byte order, rows top to bottom.
struct StatusNotifierPixmap {
  int width = 0;
  int height = 0;
  QByteArray argb32;
};
using StatusNotifierPixmaps = QList<StatusNotifierPixmap>;

// An item's tool tip: (sa(iiay)ss). The description may carry markup, so plain text goes
// in escaped.
struct StatusNotifierToolTip {
  QString iconName;
  StatusNotifierPixmaps iconPixmaps;
  QString title;
  QString description;
};

StatusNotifierPixmap toStatusNotifierPixmap(const QImage& image);

// Makes the types above known to Qt D-Bus; before the first object using them is exported
// or read. Idempotent.
void registerStatusNotifierTypes();

QDBusArgument& operator<<(QDBusArgument& argument, const StatusNotifierPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& argument, StatusNotifierPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& argument, const StatusNotifierToolTip& toolTip);
const QDBusArgument& operator>>(const QDBusArgument& argument, StatusNotifierToolTip& toolTip);

}  // namespace CorlaMeetings

Q_DECLARE_METATYPE(CorlaMeetings::StatusNotifierPixmap)
Q_DECLARE_METATYPE(CorlaMeetings::StatusNotifierToolTip)
