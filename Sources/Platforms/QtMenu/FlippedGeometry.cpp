#include "QtMenu/FlippedGeometry.h"

#include <algorithm>
#include <cmath>

namespace CorlaMeetings {

namespace {

// Far outside any screen, well inside int.
constexpr double limit = 1 << 20;

double finite(double value) {
  if (std::isnan(value)) return 0;
  return std::clamp(value, -limit, limit);
}

int edge(double value) { return static_cast<int>(std::lround(finite(value))); }

}  // namespace

QRectF flippedRect(const Rect& rect, double parentHeight) {
  return QRectF(rect.x, parentHeight - rect.y - rect.height, rect.width, rect.height);
}

QRect flippedWidgetRect(const Rect& rect, double parentHeight) {
  const QRectF flipped = flippedRect(rect, parentHeight);
  const int left = edge(flipped.left());
  const int top = edge(flipped.top());
  const int right = edge(flipped.left() + finite(flipped.width()));
  const int bottom = edge(flipped.top() + finite(flipped.height()));
  return QRect(QPoint(left, top), QSize(std::max(0, right - left), std::max(0, bottom - top)));
}

}  // namespace CorlaMeetings
