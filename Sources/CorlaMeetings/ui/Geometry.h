#pragma once

namespace CorlaMeetings {

// Points, origin at the bottom-left corner, y growing upwards.
struct Rect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;

  double minX() const { return x; }
  double midY() const { return y + height / 2; }
  Rect insetBy(double dx, double dy) const { return {x + dx, y + dy, width - 2 * dx, height - 2 * dy}; }
  bool operator==(const Rect&) const = default;
};

}  // namespace CorlaMeetings
