#pragma once

#include "ui/Geometry.h"
#include "ui/Palette.h"

namespace CorlaMeetings {

// Where custom views draw. Coordinates are the drawing view's own bounds.
class GraphicsContext {
 public:
  virtual ~GraphicsContext() = default;
  virtual void fillRoundedRect(const Rect& rect, double xRadius, double yRadius, const Color& color) = 0;
};

}  // namespace CorlaMeetings
