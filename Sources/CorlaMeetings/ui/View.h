#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/Geometry.h"
#include "ui/Palette.h"

namespace CorlaMeetings {

class GraphicsContext;

// A toolkit-neutral view tree. A renderer walks it and draws every node at its frame
// (relative to the parent, bottom-left origin), with the given fonts and colours; nodes
// added later lie above earlier ones.
class View {
 public:
  explicit View(Rect frame) : frame_(frame) {}
  virtual ~View() = default;
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  const Rect& frame() const { return frame_; }
  void setFrame(Rect frame) { frame_ = frame; }
  Rect bounds() const { return {0, 0, frame_.width, frame_.height}; }

  void addSubview(std::shared_ptr<View> view) { subviews_.push_back(std::move(view)); }
  const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }

  // A filled, rounded background (a layer's colour and corner radius); none by default.
  std::optional<Color> backgroundColor;
  double cornerRadius = 0;

  // Custom drawing, after the background and before the subviews.
  virtual void draw(GraphicsContext&) const {}

 private:
  Rect frame_;
  std::vector<std::shared_ptr<View>> subviews_;
};

enum class FontWeight { regular, semibold, bold };

struct Font {
  double size = 13;
  FontWeight weight = FontWeight::regular;
  bool monospacedDigits = false;

  static Font system(double size, FontWeight weight = FontWeight::regular) { return {size, weight, false}; }
  static Font monospacedDigitSystem(double size, FontWeight weight) { return {size, weight, true}; }
  bool operator==(const Font&) const = default;
};

enum class LineBreakMode { standard, truncateTail };
enum class TextAlignment { natural, right };

// One line of static text: not editable, not selectable, no border, no background.
class Label : public View {
 public:
  Label(std::string initialText, Rect frame) : View(frame), text(std::move(initialText)) {}

  std::string text;
  Font font;
  Color textColor = labelColor();
  LineBreakMode lineBreakMode = LineBreakMode::standard;
  TextAlignment alignment = TextAlignment::natural;
};

// A push button with the standard bezel.
class Button : public View {
 public:
  Button(std::string initialTitle, Rect frame, std::function<void()> action)
      : View(frame), title(std::move(initialTitle)), action_(std::move(action)) {}

  std::string title;
  bool enabled = true;

  // What a press does; a disabled button ignores presses.
  void press() const {
    if (enabled && action_) action_();
  }

 private:
  std::function<void()> action_;
};

}  // namespace CorlaMeetings
