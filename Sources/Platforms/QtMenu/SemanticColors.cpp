#include "QtMenu/SemanticColors.h"

namespace CorlaMeetings {

namespace {

// Translucent window text rather than fixed greys: over any window colour it keeps the
// contrast the theme chose for its text, scaled down by the same amount.
constexpr double secondaryLabelOpacity = 0.55;
constexpr double separatorOpacity = 0.25;

// NaN and out-of-range components from a hostile or broken model read as the nearest bound.
double unit(double value) {
  if (!(value >= 0)) return 0;
  return value > 1 ? 1 : value;
}

}  // namespace

QColor qtColor(const Color& color, const QPalette& palette) {
  if (color.role == Color::Role::rgba) {
    return QColor::fromRgbF(unit(color.red), unit(color.green), unit(color.blue), unit(color.alpha));
  }
  double opacity = 1;
  if (color.role == Color::Role::secondaryLabel) opacity = secondaryLabelOpacity;
  if (color.role == Color::Role::separator) opacity = separatorOpacity;
  QColor text = palette.color(QPalette::Active, QPalette::WindowText);
  text.setAlphaF(unit(text.alphaF() * opacity * unit(color.alpha)));
  return text;
}

}  // namespace CorlaMeetings
