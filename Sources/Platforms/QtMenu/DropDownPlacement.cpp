#include "QtMenu/DropDownPlacement.h"

#include <algorithm>

namespace CorlaMeetings {

namespace {

// `start` moved the least distance that puts [start, start + length) inside [low, high);
// `low` when it cannot fit.
int keptInside(int start, int length, int low, int high) { return std::max(low, std::min(start, high - length)); }

}  // namespace

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
