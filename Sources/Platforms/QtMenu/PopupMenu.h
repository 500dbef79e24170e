#pragma once

#include <QElapsedTimer>
#include <QMenu>

namespace CorlaMeetings {

// The drop-down's QMenu. Beyond a QMenu's own keys, typing a command's key equivalent while
// the menu is open (the letter alone, either case) closes the menu and runs the command, as
// choosing it would. A change of palette, font or style is reported, so the contents can be
// drawn again in the new theme.
//
// On Wayland a menu needs a parent window to be a menu, and a panel item has none of ours;
// through XWayland a popup gets neither the keys nor the clicks outside it, which go to
// Wayland windows. There the drop-down is a window of its own (through XWayland a
// frameless one the window manager knows, placed where Velto asks). Its size is pinned to
// its contents, so that a tiling compositor floats it instead of tiling it, and it closes
// when it loses the focus (a click elsewhere), besides Escape and a second click on the
// item.
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

  // True for a moment after a click outside the menu closed it. On X11 that click goes on
  // to the window under it, as a popup's closing click does: when that is the panel item
  // that opened the menu, the panel's answer must not open it again.
  bool justClosedByClickOutside() const;

 signals:
  void themeChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  QElapsedTimer sinceClickOutside_;
};

}  // namespace CorlaMeetings
