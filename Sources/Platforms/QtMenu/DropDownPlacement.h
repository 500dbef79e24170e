#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

namespace CorlaMeetings {

// The point a drop-down opens beside, from the one a panel gave for a click on its item
// (global coordinates). Panels that cannot tell send the origin, and some send the click's
// place within the item (a few pixels from the origin, as waybar does): then the pointer's
// position, where the window system tells it (`pointer`); else the far end of the panel that
// the screen's work area (`available`, within `screen`) shows, where trays sit; else the
// point as given.
QPoint panelAnchor(QPoint given, std::optional<QPoint> pointer, const QRect& screen, const QRect& available);

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
