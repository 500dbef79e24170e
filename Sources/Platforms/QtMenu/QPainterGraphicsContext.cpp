#include "QtMenu/QPainterGraphicsContext.h"

#include <QPainter>
#include <cmath>
#include <utility>

#include "QtMenu/FlippedGeometry.h"
#include "QtMenu/SemanticColors.h"

namespace CorlaMeetings {

namespace {

double radius(double value) { return value > 0 ? value : 0; }

bool isFinite(const Rect& rect) {
  return std::isfinite(rect.x) && std::isfinite(rect.y) && std::isfinite(rect.width) && std::isfinite(rect.height);
}

}  // namespace

QPainterGraphicsContext::QPainterGraphicsContext(QPainter& painter, double viewHeight, QPalette palette)
    : painter_(painter), viewHeight_(viewHeight), palette_(std::move(palette)) {}

void QPainterGraphicsContext::fillRoundedRect(const Rect& rect, double xRadius, double yRadius, const Color& color) {
  if (!isFinite(rect)) return;
  const QRectF area = flippedRect(rect, viewHeight_).normalized();
  if (area.isEmpty()) return;
  painter_.save();
  painter_.setRenderHint(QPainter::Antialiasing);
  painter_.setPen(Qt::NoPen);
  painter_.setBrush(qtColor(color, palette_));
  // Radii beyond half a side are clamped by Qt, as a rounded path does on every platform.
  painter_.drawRoundedRect(area, radius(xRadius), radius(yRadius), Qt::AbsoluteSize);
  painter_.restore();
}

}  // namespace CorlaMeetings
