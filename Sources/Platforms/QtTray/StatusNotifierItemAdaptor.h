#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QString>

#include "QtTray/StatusNotifierTypes.h"

namespace CorlaMeetings {

class StatusNotifierItem;

// The D-Bus face of a StatusNotifierItem, with the names and types panels expect. Holds no
// state: it reads the item and passes clicks on to it.
class StatusNotifierItemAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
  Q_PROPERTY(QString Category READ category)
  Q_PROPERTY(QString Id READ id)
  Q_PROPERTY(QString Title READ title)
  Q_PROPERTY(QString Status READ status)
  Q_PROPERTY(int WindowId READ windowId)
  Q_PROPERTY(QString IconThemePath READ emptyText)
  Q_PROPERTY(QString IconName READ emptyText)
  Q_PROPERTY(CorlaMeetings::StatusNotifierPixmaps IconPixmap READ iconPixmap)
  Q_PROPERTY(QString OverlayIconName READ emptyText)
  Q_PROPERTY(QString AttentionIconName READ emptyText)
  Q_PROPERTY(CorlaMeetings::StatusNotifierToolTip ToolTip READ toolTip)
  Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
  Q_PROPERTY(QDBusObjectPath Menu READ menu)
  Q_PROPERTY(QString XAyatanaLabel READ title)
  Q_PROPERTY(QString XAyatanaLabelGuide READ emptyText)

 public:
  explicit StatusNotifierItemAdaptor(StatusNotifierItem* item);

  QString category() const { return QStringLiteral("ApplicationStatus"); }
  QString id() const { return QStringLiteral("velto"); }
  QString title() const;
  QString status() const { return QStringLiteral("Active"); }
  int windowId() const { return 0; }
  QString emptyText() const { return {}; }
  StatusNotifierPixmaps iconPixmap() const;
  StatusNotifierToolTip toolTip() const;
  bool itemIsMenu() const { return false; }
  QDBusObjectPath menu() const;

 public slots:
  void Activate(int x, int y);
  void SecondaryActivate(int x, int y);
  void ContextMenu(int x, int y);
  void Scroll(int delta, const QString& orientation);

 signals:
  void NewTitle();
  void NewIcon();
  void NewToolTip();
  void NewStatus(const QString& status);
  // The guide is the longest text the label is expected to take; empty lets the panel size
  // the label to its text.
  void XAyatanaNewLabel(const QString& label, const QString& guide);

 private:
  StatusNotifierItem* item_;
};

}  // namespace CorlaMeetings
