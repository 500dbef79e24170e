#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <memory>

#include "ui/Menu.h"

class QMenu;
class QTimer;

namespace CorlaMeetings {

class PopupMenu;

// Shows a Menu as a Qt popup and keeps it current. The popup's entries mirror the items, in
// order:
//   view           the view tree's widgets (see ViewWidget.h), at the tree's own size
//   sectionTitle   a row drawn like an entry, in the title's attributes; never chosen
//   more           a disabled entry with the plain title
//   command        an entry that runs the item's action, with its key equivalent in
//                  upper case at the right; typing that letter while open chooses it
//   separator      a separator
// The popup is rebuilt whole after the model changes, once per burst of changes (the model
// reports each item it adds), also while it is open: it stays open, its entries are
// replaced in place, and it keeps its place beside the panel as its height changes. A change
// of theme rebuilds it too, in the new colours.
//
// Main thread, with a QApplication. The renderer observes the menu for as long as it lives.
class MenuRenderer : public QObject {
  Q_OBJECT

 public:
  // Renders `menu` at once.
  explicit MenuRenderer(std::shared_ptr<Menu> menu, QObject* parent = nullptr);
  ~MenuRenderer() override;

  // What to pop up, or hand to a tray icon; owned by the renderer.
  QMenu* popup() const;

  // Opens the drop-down beside `anchor`, the point a panel gave for a click on its item, in
  // global coordinates (see DropDownPlacement.h); closes it when it is open already, as a
  // second click on the item does on panels that pass that click on. A click on the item
  // that has just closed the drop-down (X11 hands the click that closes a popup on to the
  // window under it) does not open it again.
  void popUp(QPoint anchor);

 signals:
  // After every rebuild of the popup's entries.
  void rendered();

 private:
  void scheduleRender();
  void render();
  QRect placement() const;
  void placeStandingWindow();

  std::shared_ptr<Menu> menu_;
  std::unique_ptr<PopupMenu> popup_;
  bool renderPending_ = false;
  // Where the open drop-down belongs, taken when it opened (the pointer moves on).
  QPoint anchor_;
  QRect workArea_;
  // Where the drop-down is a window of its own, sway places it, and only once it is mapped.
  QTimer* placeWindow_;  // a Qt child
  int placeAttempts_ = 0;
};

}  // namespace CorlaMeetings
