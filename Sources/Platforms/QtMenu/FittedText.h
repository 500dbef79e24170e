#pragma once

#include <QFont>
#include <QString>

namespace CorlaMeetings {

// How a short text of a fixed frame (a time range, a button title, a count) is drawn whole
// when the desktop's font is wider than the one the frame was laid out for: first narrowed
// (a horizontal scale, down to kNarrowestScale), then, where that is not enough, in a
// smaller size too. The text is never cut: a time that cannot be read is a wrong time.
struct FittedText {
  static constexpr double kNarrowestScale = 0.8;

  QFont font;
  double horizontalScale = 1;

  // The drawn width of `text`, in logical pixels.
  double width(const QString& text) const;
};

// `font` unchanged, at scale 1, when `text` fits `width`; otherwise the least change of the
// two that makes it fit, narrowing no further than `narrowestScale` before shrinking (1 for
// a text that is drawn by someone else and cannot be narrowed). A frame with no width
// leaves the font as it is.
FittedText fitText(const QString& text, const QFont& font, int width,
                   double narrowestScale = FittedText::kNarrowestScale);

}  // namespace CorlaMeetings
