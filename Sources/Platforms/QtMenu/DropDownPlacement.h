#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace CorlaMeetings {

// Where a drop-down of `size` opens for a click at `anchor` on a panel item (global
// coordinates), given `available`, the screen's area less its panels:
//  - from a panel outside the available area, it opens beside that panel, edge to edge: below
//    a top panel, above a bottom one, to the right of a left one, to the left of a right one;
//  - from a point inside it (a panel that reserves no space), below the point, or above it
//    when there is no room below;
//  - either way as near the anchor as it can be while wholly inside `available`; one larger
//    than the area starts at its top-left corner (the drop-down scrolls).
// Returns the top-left corner.
QPoint dropDownPosition(QPoint anchor, QSize size, const QRect& available);

}  // namespace CorlaMeetings
