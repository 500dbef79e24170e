#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/View.h"

namespace CorlaMeetings {

// Font and colour of a title drawn with attributes (the section titles).
struct TextAttributes {
  Font font;
  Color foregroundColor;
};

struct MenuItem {
  enum class Kind {
    view,          // shows `view`; no title, no action
    sectionTitle,  // `title` drawn with `attributes`; no action
    more,          // plain `title`; no action
    command,       // `title`, `keyEquivalent`, runs `action` when chosen
    separator,
  };

  Kind kind = Kind::separator;
  std::string title;
  std::optional<TextAttributes> attributes;
  std::string keyEquivalent;  // a single lower-case letter, or empty
  bool enabled = true;
  std::function<void()> action;
  std::shared_ptr<View> view;

  static MenuItem separator() { return {}; }
};

// The drop-down of the status item. Rebuilt whole, never edited in place; a renderer that
// watches it redraws after a change (several changes may come in one burst).
class Menu {
 public:
  void removeAllItems() {
    items_.clear();
    changed();
  }
  void addItem(MenuItem item) {
    items_.push_back(std::move(item));
    changed();
  }
  const std::vector<MenuItem>& items() const { return items_; }

  // Main thread. One observer; setting another replaces it.
  void setChangeObserver(std::function<void()> observer) { observer_ = std::move(observer); }

 private:
  void changed() {
    if (observer_) observer_();
  }

  std::vector<MenuItem> items_;
  std::function<void()> observer_;
};

}  // namespace CorlaMeetings
