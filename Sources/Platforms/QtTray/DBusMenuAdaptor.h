#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusVariant>
#include <QList>
#include <QString>
#include <QStringList>

#include "QtTray/DBusMenuTypes.h"

namespace CorlaMeetings {

class DBusMenuExporter;

// The com.canonical.dbusmenu face of a DBusMenuExporter, with the names and types panels
// expect. Holds no state. Whatever a client sends gets an answer: an unknown id is an error
// where one thing was asked for, and listed in the errors of a group.
//
// Lists are spelled out in the signatures: Qt D-Bus finds argument types by the name written
// here, and knows the lists by their own names, not by our aliases.
class DBusMenuAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
  Q_PROPERTY(uint Version READ version)
  Q_PROPERTY(QString TextDirection READ textDirection)
  Q_PROPERTY(QString Status READ status)
  Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

 public:
  explicit DBusMenuAdaptor(DBusMenuExporter* exporter);

  uint version() const { return 3; }
  QString textDirection() const { return QStringLiteral("ltr"); }
  QString status() const { return QStringLiteral("normal"); }
  QStringList iconThemePath() const { return {}; }

 public slots:
  uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                 CorlaMeetings::DBusMenuLayoutItem& layout);
  QList<CorlaMeetings::DBusMenuItemProperties> GetGroupProperties(const QList<int>& ids,
                                                                  const QStringList& propertyNames);
  QDBusVariant GetProperty(int id, const QString& name);
  void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
  QList<int> EventGroup(const QList<CorlaMeetings::DBusMenuEvent>& events);
  bool AboutToShow(int id);
  QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

 signals:
  void LayoutUpdated(uint revision, int parent);
  void ItemsPropertiesUpdated(const QList<CorlaMeetings::DBusMenuItemProperties>& updatedProps,
                              const QList<CorlaMeetings::DBusMenuItemPropertyNames>& removedProps);
  void ItemActivationRequested(int id, uint timestamp);

 private:
  DBusMenuExporter* exporter_;
};

}  // namespace CorlaMeetings
