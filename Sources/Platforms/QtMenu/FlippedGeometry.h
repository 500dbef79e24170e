#pragma once

#include <QRect>
#include <QRectF>

#include "ui/Geometry.h"

namespace CorlaMeetings {

// Frames in the model have their origin at the parent's bottom-left corner with y up; Qt's
// at the top-left with y down. One point is one logical pixel.

// `rect` in the top-left coordinates of a parent `parentHeight` tall.
QRectF flippedRect(const Rect& rect, double parentHeight);

// The same, with each edge rounded to a whole logical pixel (so abutting frames stay
// abutting); what a child widget's geometry takes. Non-finite or absurd values are clamped.
QRect flippedWidgetRect(const Rect& rect, double parentHeight);

}  // namespace CorlaMeetings
