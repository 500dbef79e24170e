#pragma once

#include <QDBusArgument>
#include <QDBusVariant>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace CorlaMeetings {

// The structures of the com.canonical.dbusmenu interface, as panels read and send them.

// One entry and, to the depth asked for, its children: (ia{sv}av), each child a variant
// holding the same structure.
struct DBusMenuLayoutItem {
  int id = 0;
  QVariantMap properties;
  QList<DBusMenuLayoutItem> children;
};

// An entry's properties: (ia{sv}).
struct DBusMenuItemProperties {
  int id = 0;
  QVariantMap properties;
};
using DBusMenuItemPropertiesList = QList<DBusMenuItemProperties>;

// Names of properties an entry no longer has: (ias).
struct DBusMenuItemPropertyNames {
  int id = 0;
  QStringList names;
};
using DBusMenuItemPropertyNamesList = QList<DBusMenuItemPropertyNames>;

// One event of EventGroup: (isvu).
struct DBusMenuEvent {
  int id = 0;
  QString eventId;
  QDBusVariant data;
  uint timestamp = 0;
};
using DBusMenuEventList = QList<DBusMenuEvent>;

// Makes the types above known to Qt D-Bus; before the menu is exported or read. Idempotent.
void registerDBusMenuTypes();

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuLayoutItem& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuLayoutItem& item);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuItemProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuItemProperties& item);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuItemPropertyNames& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuItemPropertyNames& item);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuEvent& event);

}  // namespace CorlaMeetings

Q_DECLARE_METATYPE(CorlaMeetings::DBusMenuLayoutItem)
Q_DECLARE_METATYPE(CorlaMeetings::DBusMenuItemProperties)
Q_DECLARE_METATYPE(CorlaMeetings::DBusMenuItemPropertyNames)
Q_DECLARE_METATYPE(CorlaMeetings::DBusMenuEvent)
