#include "QtMenu/FittedText.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <algorithm>

namespace CorlaMeetings {

namespace {

// Below this the glyphs are no longer worth keeping; past it the text is only squeezed.
constexpr int kSmallestPixelSize = 6;

double advance(const QString& text, const QFont& font) { return QFontMetricsF(font).horizontalAdvance(text); }

}  // namespace

double FittedText::width(const QString& text) const { return advance(text, font) * horizontalScale; }

FittedText fitText(const QString& text, const QFont& font, int width, double narrowestScale) {
  FittedText fitted{font, 1};
  const double natural = advance(text, font);
  if (width <= 0 || natural <= width) return fitted;

  fitted.horizontalScale = std::clamp(width / natural, std::min(narrowestScale, 1.0), 1.0);
  // A font sized in points (a button's) is shrunk in the pixels it has now.
  if (fitted.font.pixelSize() <= 0) fitted.font.setPixelSize(QFontInfo(font).pixelSize());
  // Sizes are whole pixels (see Fonts.h), so each step down is measured, not assumed.
  while (fitted.width(text) > width && fitted.font.pixelSize() > kSmallestPixelSize) {
    fitted.font.setPixelSize(fitted.font.pixelSize() - 1);
  }
  // A smaller face needs less narrowing than the full one did; below the smallest size the
  // text is squeezed as far as it takes.
  fitted.horizontalScale = std::min(1.0, width / advance(text, fitted.font));
  return fitted;
}

}  // namespace CorlaMeetings
