#include "QtTray/StatusNotifierTypes.h"

#include <QDBusMetaType>
#include <QtEndian>

namespace CorlaMeetings {

StatusNotifierPixmap toStatusNotifierPixmap(const QImage& image) {
  QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  StatusNotifierPixmap pixmap{argb.width(), argb.height(), QByteArray()};
  pixmap.argb32.resize(qsizetype(argb.width()) * argb.height() * 4);
  auto* out = reinterpret_cast<uchar*>(pixmap.argb32.data());
  for (int y = 0; y < argb.height(); ++y) {
    const auto* line = reinterpret_cast<const quint32*>(argb.constScanLine(y));
    for (int x = 0; x < argb.width(); ++x, out += 4) qToBigEndian(line[x], out);
  }
  return pixmap;
}

void registerStatusNotifierTypes() {
  static const bool registered = [] {
    qDBusRegisterMetaType<StatusNotifierPixmap>();
    qDBusRegisterMetaType<StatusNotifierPixmaps>();
    qDBusRegisterMetaType<StatusNotifierToolTip>();
    return true;
  }();
  (void)registered;
}

QDBusArgument& operator<<(QDBusArgument& argument, const StatusNotifierPixmap& pixmap) {
  argument.beginStructure();
  argument << pixmap.width << pixmap.height << pixmap.argb32;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, StatusNotifierPixmap& pixmap) {
  argument.beginStructure();
  argument >> pixmap.width >> pixmap.height >> pixmap.argb32;
  argument.endStructure();
  return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const StatusNotifierToolTip& toolTip) {
  argument.beginStructure();
  argument << toolTip.iconName << toolTip.iconPixmaps << toolTip.title << toolTip.description;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, StatusNotifierToolTip& toolTip) {
  argument.beginStructure();
  argument >> toolTip.iconName >> toolTip.iconPixmaps >> toolTip.title >> toolTip.description;
  argument.endStructure();
  return argument;
}

}  // namespace CorlaMeetings
