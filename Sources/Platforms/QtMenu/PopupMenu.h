#pragma once

#include <QMenu>

namespace CorlaMeetings {

// The drop-down's QMenu. Beyond a QMenu's own keys, typing a command's key equivalent while
// the menu is open (the letter alone, either case) closes the menu and runs the command, as
// choosing it would. A change of palette, font or style is reported, so the contents can be
// drawn again in the new theme.
class PopupMenu : public QMenu {
  Q_OBJECT

 public:
  explicit PopupMenu(QWidget* parent = nullptr);

  // Makes `key` (a letter; anything else is ignored) choose `action` while the menu is open.
  static void setKeyEquivalent(QAction& action, QChar key);
  // The letter set above, lower-case, or a null QChar.
  static QChar keyEquivalent(const QAction& action);

 signals:
  void themeChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
};

}  // namespace CorlaMeetings
