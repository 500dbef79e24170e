#include "QtTray/TrayIconPainter.h"

#include <QColor>
#include <QPainter>
#include <QPixmap>

#include "ui/Palette.h"

namespace CorlaMeetings {

namespace {

QColor toQColor(const Color& color) { return QColor::fromRgbF(color.red, color.green, color.blue, color.alpha); }

constexpr QRgb kAlertRed = qRgb(255, 59, 48);

// Drawn on a 24-unit grid, scaled to the size asked for.
void paintCalendar(QPainter& painter) {
  QColor blue = toQColor(veltoBlue());
  painter.setPen(Qt::NoPen);
  painter.setBrush(blue);
  painter.drawRoundedRect(QRectF(2.5, 4.5, 19, 17), 3, 3);
  // The binding rings stand above the page.
  painter.drawRoundedRect(QRectF(6, 2, 2.5, 5), 1.25, 1.25);
  painter.drawRoundedRect(QRectF(15.5, 2, 2.5, 5), 1.25, 1.25);

  painter.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::FlatCap));
  painter.setBrush(Qt::NoBrush);
  painter.drawLine(QPointF(2.5, 8.5), QPointF(21.5, 8.5));
  painter.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
  painter.drawEllipse(QPointF(12, 14.75), 4.25, 4.25);
  painter.drawLine(QPointF(12, 14.75), QPointF(12, 12.25));
  painter.drawLine(QPointF(12, 14.75), QPointF(14, 14.75));
}

// A badge in the lower right corner, cut free of the calendar by a transparent ring so
// that it reads at 16 pixels.
void paintBadge(QPainter& painter, const QColor& fill) {
  const QPointF centre(18.5, 18.5);
  painter.setPen(Qt::NoPen);
  painter.setCompositionMode(QPainter::CompositionMode_Clear);
  painter.setBrush(Qt::black);
  painter.drawEllipse(centre, 6, 6);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter.setBrush(fill);
  painter.drawEllipse(centre, 4.5, 4.5);
}

void paintExclamation(QPainter& painter) {
  painter.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(18.5, 15.9), QPointF(18.5, 18.8));
  painter.drawPoint(QPointF(18.5, 21.2));
}

}  // namespace

QImage paintTrayIcon(StatusState state, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 24.0, size / 24.0);
  paintCalendar(painter);
  switch (state) {
    case StatusState::brand: break;
    case StatusState::noAccess:
      paintBadge(painter, QColor(kAlertRed));
      paintExclamation(painter);
      break;
    case StatusState::soon: paintBadge(painter, toQColor(veltoBlue())); break;
    case StatusState::live: paintBadge(painter, toQColor(veltoLime())); break;
  }
  painter.end();
  return image.convertToFormat(QImage::Format_ARGB32);
}

QIcon trayIcon(StatusState state) {
  QIcon icon;
  for (int size : kTrayIconSizes) icon.addPixmap(QPixmap::fromImage(paintTrayIcon(state, size)));
  return icon;
}

}  // namespace CorlaMeetings
