#include "QtTray/DBusMenuAdaptor.h"

#include "QtTray/DBusMenuExporter.h"

namespace CorlaMeetings {

namespace {

const QString kClicked = QStringLiteral("clicked");

}  // namespace

DBusMenuAdaptor::DBusMenuAdaptor(DBusMenuExporter* exporter) : QDBusAbstractAdaptor(exporter), exporter_(exporter) {
  connect(exporter, &DBusMenuExporter::layoutUpdated, this, &DBusMenuAdaptor::LayoutUpdated);
}

uint DBusMenuAdaptor::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                                DBusMenuLayoutItem& layout) {
  std::optional<DBusMenuLayoutItem> found = exporter_->layout(parentId, recursionDepth, propertyNames);
  if (found) {
    layout = std::move(*found);
  } else {
    exporter_->sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("No menu entry %1").arg(parentId));
  }
  return exporter_->revision();
}

// No ids asks for every entry.
QList<DBusMenuItemProperties> DBusMenuAdaptor::GetGroupProperties(const QList<int>& ids,
                                                                  const QStringList& propertyNames) {
  QList<DBusMenuItemProperties> found;
  for (int id : ids.isEmpty() ? exporter_->ids() : ids) {
    if (std::optional<QVariantMap> properties = exporter_->properties(id, propertyNames)) {
      found.append({id, std::move(*properties)});
    }
  }
  return found;
}

QDBusVariant DBusMenuAdaptor::GetProperty(int id, const QString& name) {
  std::optional<QVariantMap> properties = exporter_->properties(id, {name});
  if (!properties || properties->isEmpty()) {
    exporter_->sendErrorReply(QDBusError::InvalidArgs,
                              QStringLiteral("No property %1 on menu entry %2").arg(name).arg(id));
    return QDBusVariant(QString());
  }
  return QDBusVariant(properties->first());
}

// Only a click does anything; hovering, opening and closing need no answer.
void DBusMenuAdaptor::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
  if (eventId == kClicked) exporter_->activate(id);
}

QList<int> DBusMenuAdaptor::EventGroup(const QList<DBusMenuEvent>& events) {
  QList<int> idErrors;
  for (const DBusMenuEvent& event : events) {
    if (!exporter_->contains(event.id)) {
      idErrors.append(event.id);
    } else if (event.eventId == kClicked) {
      exporter_->activate(event.id);
    }
  }
  return idErrors;
}

// The layout is always current: nothing to refresh before a menu opens.
bool DBusMenuAdaptor::AboutToShow(int) { return false; }

QList<int> DBusMenuAdaptor::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
  idErrors.clear();
  for (int id : ids) {
    if (!exporter_->contains(id)) idErrors.append(id);
  }
  return {};
}

}  // namespace CorlaMeetings
