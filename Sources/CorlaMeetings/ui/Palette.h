#pragma once

namespace CorlaMeetings {

// A colour: either fixed calibrated RGBA components (0..1) or one of the desktop's
// semantic colours, which a renderer takes from the current theme.
struct Color {
  enum class Role { rgba, label, secondaryLabel, separator };

  Role role = Role::rgba;
  double red = 0;
  double green = 0;
  double blue = 0;
  double alpha = 1;

  static Color rgba(double r, double g, double b, double a) { return {Role::rgba, r, g, b, a}; }
  static Color semantic(Role role) { return {role, 0, 0, 0, 1}; }
  Color withAlpha(double a) const {
    Color c = *this;
    c.alpha = a;
    return c;
  }
  bool operator==(const Color&) const = default;
};

// Brand colours.
const Color& veltoBlue();  // accent of a meeting not in progress, the header's count
const Color& veltoLime();  // accent of a meeting in progress

inline Color labelColor() { return Color::semantic(Color::Role::label); }
inline Color secondaryLabelColor() { return Color::semantic(Color::Role::secondaryLabel); }
inline Color separatorColor() { return Color::semantic(Color::Role::separator); }

}  // namespace CorlaMeetings
