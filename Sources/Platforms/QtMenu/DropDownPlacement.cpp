#include "QtMenu/DropDownPlacement.h"

#include <algorithm>
#include <cstdlib>

namespace CorlaMeetings {

namespace {

// `start` moved the least distance that puts [start, start + length) inside [low, high);
// `low` when it cannot fit.
int keptInside(int start, int length, int low, int high) { return std::max(low, std::min(start, high - length)); }

// Larger than any panel item: a point this close to the origin may be a place in the item.
constexpr int kItemSize = 64;

bool nearOrigin(QPoint point) { return std::abs(point.x()) < kItemSize && std::abs(point.y()) < kItemSize; }

}  // namespace

QPoint panelAnchor(QPoint given, std::optional<QPoint> pointer, const QRect& screen, const QRect& available) {
  if (!given.isNull() && !nearOrigin(given)) return given;
  if (pointer) {
    // An item that really sits at the origin was clicked there.
    const bool clickedThere = !given.isNull() && (*pointer - given).manhattanLength() < kItemSize;
    return clickedThere ? given : *pointer;
  }
  // The work area tells where the panel is; just outside it, at the panel's far end.
  if (available.top() > screen.top()) return {available.right(), available.top() - 1};
  if (available.bottom() < screen.bottom()) return {available.right(), available.bottom() + 1};
  if (available.left() > screen.left()) return {available.left() - 1, available.bottom()};
  if (available.right() < screen.right()) return {available.right() + 1, available.bottom()};
  return given;
}

QPoint dropDownPosition(QPoint anchor, QSize size, const QRect& available) {
  // QRect's right() and bottom() are the last pixels inside, so the far edges are one past.
  const int left = available.left();
  const int right = available.right() + 1;
  const int top = available.top();
  const int bottom = available.bottom() + 1;

  int x = anchor.x();
  if (anchor.x() < left) {
    x = left;
  } else if (anchor.x() >= right) {
    x = right - size.width();
  }

  int y = anchor.y();
  if (anchor.y() < top) {
    y = top;
  } else if (anchor.y() >= bottom) {
    y = bottom - size.height();
  } else if (anchor.y() + size.height() > bottom && anchor.y() - size.height() >= top) {
    y = anchor.y() - size.height();
  }

  return {keptInside(x, size.width(), left, right), keptInside(y, size.height(), top, bottom)};
}

}  // namespace CorlaMeetings
