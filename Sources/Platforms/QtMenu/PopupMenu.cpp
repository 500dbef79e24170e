#include "QtMenu/PopupMenu.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProxyStyle>

#include "QtMenu/DesktopGeometry.h"

namespace CorlaMeetings {

namespace {

constexpr const char* keyEquivalentProperty = "keyEquivalent";
// A panel's answer to the click that closed the menu arrives within this.
constexpr int kClosingClickMilliseconds = 400;

// A long menu scrolls, as a panel's drop-down should; a style that would rather wrap it
// into several columns would tear the cards away from their header.
class ScrollingMenuStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == QStyle::SH_Menu_Scrollable) return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

}  // namespace

PopupMenu::PopupMenu(QWidget* parent) : QMenu(parent) {
  auto* style = new ScrollingMenuStyle;
  style->setParent(this);
  setStyle(style);
  // What a compositor names the window by, where the drop-down is one (see the header).
  setWindowTitle(QStringLiteral("Velto Meetings Reminder"));
  if (throughXWayland()) setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
}

void PopupMenu::setKeyEquivalent(QAction& action, QChar key) {
  action.setProperty(keyEquivalentProperty, key.isLetter() ? QString(key.toLower()) : QString());
}

QChar PopupMenu::keyEquivalent(const QAction& action) {
  const QString key = action.property(keyEquivalentProperty).toString();
  return key.size() == 1 ? key.at(0) : QChar();
}

void PopupMenu::keyPressEvent(QKeyEvent* event) {
  // With Ctrl, Alt or Meta held the key is a chord for someone else; Shift and Caps Lock
  // only change the letter's case.
  const Qt::KeyboardModifiers chords = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
  if (!(event->modifiers() & chords) && event->text().size() == 1 && event->text().at(0).isLetter()) {
    const QChar typed = event->text().at(0).toLower();
    for (QAction* action : actions()) {
      if (action->isEnabled() && action->isVisible() && keyEquivalent(*action) == typed) {
        event->accept();
        hide();  // first, as a chosen entry closes the menu before its action runs
        action->trigger();
        return;
      }
    }
  }
  QMenu::keyPressEvent(event);
}

bool PopupMenu::standsAlone() {
  return QGuiApplication::platformName().startsWith(QLatin1String("wayland")) || throughXWayland();
}

void PopupMenu::fitWindowToContents(QSize largest) {
  if (!standsAlone()) return;
  setFixedSize(largest.isEmpty() ? sizeHint() : sizeHint().boundedTo(largest));
}

bool PopupMenu::justClosedByClickOutside() const {
  return sinceClickOutside_.isValid() && sinceClickOutside_.elapsed() < kClosingClickMilliseconds;
}

void PopupMenu::mousePressEvent(QMouseEvent* event) {
  if (!rect().contains(event->position().toPoint())) sinceClickOutside_.start();
  QMenu::mousePressEvent(event);
}

void PopupMenu::showEvent(QShowEvent* event) {
  QMenu::showEvent(event);
  // A window the window manager knows gets the keys only once it is active.
  if (throughXWayland()) activateWindow();
}

bool PopupMenu::event(QEvent* event) {
  if (event->type() == QEvent::WindowDeactivate && standsAlone() && isVisible()) hide();
  return QMenu::event(event);
}

void PopupMenu::changeEvent(QEvent* event) {
  QMenu::changeEvent(event);
  const QEvent::Type type = event->type();
  if (type == QEvent::PaletteChange || type == QEvent::FontChange || type == QEvent::StyleChange) emit themeChanged();
}

}  // namespace CorlaMeetings
