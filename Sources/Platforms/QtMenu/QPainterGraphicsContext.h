#pragma once

#include <QPalette>

#include "app/GraphicsContext.h"

class QPainter;

namespace CorlaMeetings {

// Custom drawing of a view onto a QPainter that paints the view's widget. Rectangles come in
// the view's bounds (origin bottom-left, y up) and are flipped against its height; fills
// are antialiased vector shapes, so they stay crisp at any device pixel ratio. Semantic
// colours resolve against `palette`.
class QPainterGraphicsContext : public GraphicsContext {
 public:
  QPainterGraphicsContext(QPainter& painter, double viewHeight, QPalette palette);

  void fillRoundedRect(const Rect& rect, double xRadius, double yRadius, const Color& color) override;

 private:
  QPainter& painter_;
  double viewHeight_;
  QPalette palette_;
};

}  // namespace CorlaMeetings
