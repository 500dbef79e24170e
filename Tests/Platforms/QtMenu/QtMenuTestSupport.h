#pragma once

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QPalette>
#include <QWidget>
#include <cmath>
#include <ostream>
#include <vector>

#include "QtMenu/Theme.h"
#include "Support/LocalTime.h"
#include "meetings/MeetingItem.h"

// Readable failures for the Qt values these tests compare.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QColor& color, std::ostream* out) {
  *out << "rgba(" << color.red() << ", " << color.green() << ", " << color.blue() << ", " << color.alpha() << ")";
}
inline void PrintTo(const QRect& rect, std::ostream* out) {
  *out << "QRect(" << rect.x() << ", " << rect.y() << ", " << rect.width() << ", " << rect.height() << ")";
}
QT_END_NAMESPACE

namespace CorlaMeetings::Testing {

// Monday 7 December 2026, local time: no clock change in the four days that follow.
inline Instant december7(int hour, int minute = 0) { return localTime(2026, 12, 7, hour, minute); }

inline MeetingItem meetingItem(std::string title, Instant start, Instant end,
                               std::optional<std::string> link = std::nullopt,
                               std::optional<std::string> location = std::nullopt) {
  auto event = std::make_shared<CalendarEvent>();
  event->title = std::move(title);
  event->startDate = start;
  event->endDate = end;
  event->location = std::move(location);
  return MeetingItem{std::move(event), link ? Url::parse(*link) : std::nullopt};
}

// Themes as a desktop hands them out: every colour derived from the window colour.
inline QPalette lightPalette() { return QPalette(QColor(0xef, 0xef, 0xef), QColor(0xf6, 0xf6, 0xf6)); }
inline QPalette darkPalette() { return QPalette(QColor(0x3c, 0x3c, 0x3c), QColor(0x2a, 0x2a, 0x2a)); }

// Colours as drawn, 8 bits a channel: QColor compares 16-bit channels, which a colour made
// from fractions and one made from bytes rarely share.
inline QColor drawn(const QColor& color) { return QColor::fromRgba(color.rgba()); }

inline QImage snapshot(QWidget& widget) { return widget.grab().toImage().convertToFormat(QImage::Format_ARGB32); }

// `over`, with its alpha, on an opaque `under`.
inline QColor composited(const QColor& over, const QColor& under) {
  const double a = over.alphaF();
  return QColor::fromRgbF(over.redF() * a + under.redF() * (1 - a), over.greenF() * a + under.greenF() * (1 - a),
                          over.blueF() * a + under.blueF() * (1 - a));
}

// WCAG contrast ratio of two opaque colours: 1 (none) to 21 (black on white).
inline double contrastRatio(const QColor& first, const QColor& second) {
  const auto luminance = [](const QColor& color) {
    const auto linear = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) + 0.0722 * linear(color.blueF());
  };
  const double a = luminance(first) + 0.05;
  const double b = luminance(second) + 0.05;
  return a > b ? a / b : b / a;
}

template <typename T>
std::vector<T*> childrenOf(const QWidget& widget) {
  const QList<T*> found = widget.findChildren<T*>(Qt::FindDirectChildrenOnly);
  return std::vector<T*>(found.begin(), found.end());
}

}  // namespace CorlaMeetings::Testing
