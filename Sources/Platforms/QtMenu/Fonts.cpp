#include "QtMenu/Fonts.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <cmath>

namespace CorlaMeetings {

namespace {

// Far beyond any size the views use; keeps a broken size from asking for a giant glyph cache.
constexpr double largestPixelSize = 512;

int pixelSize(double size) {
  if (!(size >= 1)) return 1;
  return static_cast<int>(std::lround(std::min(size, largestPixelSize)));
}

QFont::Weight qtWeight(FontWeight weight) {
  switch (weight) {
    case FontWeight::regular: return QFont::Normal;
    case FontWeight::semibold: return QFont::DemiBold;
    case FontWeight::bold: return QFont::Bold;
  }
  return QFont::Normal;
}

}  // namespace

bool hasTabularDigits(const QFont& font) {
  const QFontMetricsF metrics(font);
  const qreal zero = metrics.horizontalAdvance(QLatin1Char('0'));
  for (char digit = '1'; digit <= '9'; ++digit) {
    if (std::abs(metrics.horizontalAdvance(QLatin1Char(digit)) - zero) > 0.01) return false;
  }
  return true;
}

QFont qtFont(const Font& font, const QFont& systemFont) {
  QFont result = systemFont;
  result.setPixelSize(pixelSize(font.size));
  result.setWeight(qtWeight(font.weight));
  if (font.monospacedDigits && !hasTabularDigits(result)) {
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPixelSize(result.pixelSize());
    fixed.setWeight(result.weight());
    result = fixed;
  }
  return result;
}

}  // namespace CorlaMeetings
