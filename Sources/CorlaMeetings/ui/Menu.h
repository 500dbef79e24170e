#pragma once

#include <algorithm>
#include <cstddef>
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

// The drop-down of the status item. Rebuilt whole, never edited in place; whatever shows it
// (the drop-down, a panel's own menu) watches it and redraws after a change (several changes
// may come in one burst).
class Menu {
 public:
  using ObserverId = std::size_t;

  void removeAllItems() {
    items_.clear();
    changed();
  }
  void addItem(MenuItem item) {
    items_.push_back(std::move(item));
    changed();
  }
  const std::vector<MenuItem>& items() const { return items_; }

  // Main thread. Every observer hears of every change, in the order they were added. An
  // observer that may go before the menu removes itself with the id it was given.
  ObserverId addChangeObserver(std::function<void()> observer) {
    observers_.push_back({++lastObserverId_, std::move(observer)});
    return lastObserverId_;
  }
  void removeChangeObserver(ObserverId id) {
    std::erase_if(observers_, [id](const Observer& observer) { return observer.id == id; });
  }
  // One observer that a later call replaces, for a front end that is the menu's only view.
  void setChangeObserver(std::function<void()> observer) {
    removeChangeObserver(replaceableObserver_);
    replaceableObserver_ = addChangeObserver(std::move(observer));
  }

 private:
  struct Observer {
    ObserverId id;
    std::function<void()> notify;
  };

  void changed() {
    // On a copy: an observer may add or remove observers, itself included. One removed
    // meanwhile is not told.
    const std::vector<Observer> observers = observers_;
    for (const Observer& observer : observers) {
      if (observer.notify && isObserving(observer.id)) observer.notify();
    }
  }
  bool isObserving(ObserverId id) const {
    return std::any_of(observers_.begin(), observers_.end(), [id](const Observer& o) { return o.id == id; });
  }

  std::vector<MenuItem> items_;
  std::vector<Observer> observers_;
  ObserverId lastObserverId_ = 0;
  ObserverId replaceableObserver_ = 0;
};

}  // namespace CorlaMeetings
