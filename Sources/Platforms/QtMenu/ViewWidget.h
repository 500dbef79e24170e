#pragma once

#include <QLabel>
#include <QWidget>
#include <memory>

#include "QtMenu/Theme.h"
#include "ui/View.h"

namespace CorlaMeetings {

// The widgets of a whole view tree, sized to the root's frame (where the root sits is the
// container's business). Every subview becomes a child widget at its frame, flipped to Qt's
// top-left origin, one point to one logical pixel; later subviews lie above earlier ones.
//   Label   a QLabel: plain text only, one line (control characters shown as spaces), the
//           model's font and colour, aligned left or right at the top of its frame, cut
//           with "…" to the frame's width when it truncates at the tail, otherwise drawn
//           whole, narrowed and shrunk as far as it takes to fit (see FittedText.h)
//   Button  a QPushButton with the title (in a smaller size where it would not fit) and
//           enabled flag; a click calls Button::press()
//   other   a ViewWidget
// Widgets keep their nodes alive. The result belongs to `parent`, or to the caller when null.
QWidget* makeViewWidget(std::shared_ptr<const View> root, const Theme& theme, QWidget* parent = nullptr);

// A plain view node: paints its rounded background, then its custom drawing, with semantic
// colours from `palette`. It takes the mouse clicks that land on it, so a click beside a
// button does nothing, as in a view, rather than choosing the menu entry the view sits in.
class ViewWidget : public QWidget {
  Q_OBJECT

 public:
  ViewWidget(std::shared_ptr<const View> view, QPalette palette, QWidget* parent);

  const View& view() const { return *view_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  std::shared_ptr<const View> view_;
  QPalette palette_;
};

// A label node: what ViewWidget paints, under QLabel's text.
class LabelWidget : public QLabel {
  Q_OBJECT

 public:
  // `width` is what the text is cut to, the width of the label's frame.
  LabelWidget(std::shared_ptr<const Label> label, const Theme& theme, int width, QWidget* parent);

  // Below 1 where the text is narrowed to fit its frame.
  double horizontalScale() const { return horizontalScale_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::shared_ptr<const Label> label_;
  QPalette palette_;
  double horizontalScale_ = 1;
};

}  // namespace CorlaMeetings
