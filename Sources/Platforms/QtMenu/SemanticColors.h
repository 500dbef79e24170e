#pragma once

#include <QColor>
#include <QPalette>

#include "ui/Palette.h"

namespace CorlaMeetings {

// A model colour as Qt draws it. Fixed colours keep their components (clamped to 0..1).
// Semantic ones derive from the palette's window text, so they follow light and dark
// themes alike:
//   label           window text
//   secondaryLabel  window text at 55% opacity
//   separator       window text at 25% opacity
// A colour's own alpha multiplies the role's opacity (a separator at alpha 0.5 is window
// text at 12.5%).
QColor qtColor(const Color& color, const QPalette& palette);

}  // namespace CorlaMeetings
