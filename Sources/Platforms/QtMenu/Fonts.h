#pragma once

#include <QFont>

#include "ui/View.h"

namespace CorlaMeetings {

// The desktop's UI font (`systemFont`'s family) at the model font's size and weight.
//
// Sizes are points of the layout, and a point of the layout is a device-independent pixel
// here, so the size is set in pixels (rounded, at least 1): text then fits the frames it
// was laid out for, whatever DPI the desktop reports. Weights map regular → Normal,
// semibold → DemiBold, bold → Bold.
//
// Monospaced digits: Qt 6.4 cannot switch on a font's tabular figures, so the UI font is
// kept when its digits already share one advance (true of most UI fonts), and the
// desktop's fixed-pitch font at the same size and weight stands in when they do not.
QFont qtFont(const Font& font, const QFont& systemFont);

// True when every digit 0-9 advances by the same width in `font`.
bool hasTabularDigits(const QFont& font);

}  // namespace CorlaMeetings
