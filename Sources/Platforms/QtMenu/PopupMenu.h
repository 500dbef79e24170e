#pragma once

#include <QMenu>

namespace CorlaMeetings {

// The drop-down's QMenu. Beyond a QMenu's own keys, typing a command's key equivalent while
// the menu is open (the letter alone, either case) closes the menu and runs the command, as
// choosing it would. A change of palette, font or style is reported, so the contents can be
// drawn again in the new theme.
//
// On Wayland a menu needs a parent window to be a menu, and a panel item has none of ours:
// there the drop-down is a window of its own. Its size is then pinned to its contents, so
// that a tiling compositor floats it instead of tiling it, and it closes when it loses the
// focus (a click on another window), besides Escape and a second click on the item.
class PopupMenu : public QMenu {
  Q_OBJECT

 public:
  explicit PopupMenu(QWidget* parent = nullptr);

  // Makes `key` (a letter; anything else is ignored) choose `action` while the menu is open.
  static void setKeyEquivalent(QAction& action, QChar key);
  // The letter set above, lower-case, or a null QChar.
  static QChar keyEquivalent(const QAction& action);

  // True where the drop-down is a window of its own rather than a popup (see above).
  static bool standsAlone();
  // Where it stands alone, pins its size to its contents, at most `largest` (it scrolls
  // beyond); call before showing it and after its entries change.
  void fitWindowToContents(QSize largest);

 signals:
  void themeChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool event(QEvent* event) override;
};

}  // namespace CorlaMeetings
