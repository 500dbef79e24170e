#pragma once

#include <vector>

#include "app/GraphicsContext.h"

namespace CorlaMeetings {

// A drawing surface that keeps the list of what was drawn on it, in order.
class RecordingGraphicsContext : public GraphicsContext {
 public:
  struct Fill {
    Rect rect;
    double xRadius = 0;
    double yRadius = 0;
    Color color;
    bool operator==(const Fill&) const = default;
  };

  void fillRoundedRect(const Rect& rect, double xRadius, double yRadius, const Color& color) override {
    fills_.push_back({rect, xRadius, yRadius, color});
  }

  const std::vector<Fill>& fills() const { return fills_; }
  void clear() { fills_.clear(); }

 private:
  std::vector<Fill> fills_;
};

}  // namespace CorlaMeetings
