#include "ui/Palette.h"

namespace CorlaMeetings {

const Color& veltoBlue() {
  static const Color color = Color::rgba(0.18, 0.47, 1.0, 1.0);
  return color;
}

const Color& veltoLime() {
  static const Color color = Color::rgba(0.61, 1.0, 0.19, 1.0);
  return color;
}

}  // namespace CorlaMeetings
