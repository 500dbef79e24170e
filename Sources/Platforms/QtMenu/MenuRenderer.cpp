#include "QtMenu/MenuRenderer.h"

#include <QPointer>
#include <QTimer>
#include <QWidgetAction>

#include "QtMenu/DesktopGeometry.h"
#include "QtMenu/DropDownPlacement.h"
#include "QtMenu/Fonts.h"
#include "QtMenu/PopupMenu.h"
#include "QtMenu/SectionTitleRow.h"
#include "QtMenu/SemanticColors.h"
#include "QtMenu/SwayIpc.h"
#include "QtMenu/Theme.h"
#include "QtMenu/ViewWidget.h"
#include "meetings/PlainText.h"

namespace CorlaMeetings {

namespace {

// A window is mapped within a frame or two of being shown; a slow compositor gets half a second.
constexpr int kPlaceWindowInterval = 25;
constexpr int kPlaceWindowAttempts = 20;

// Menu texts are shown as given: '&' would otherwise mark a mnemonic.
QString entryText(const std::string& title) {
  return QString::fromStdString(singleLine(title)).replace(QLatin1Char('&'), QLatin1String("&&"));
}

void addView(PopupMenu& popup, const MenuItem& item, const Theme& theme) {
  if (!item.view) return;
  auto* action = new QWidgetAction(&popup);
  action->setDefaultWidget(makeViewWidget(item.view, theme));
  popup.addAction(action);
}

void addSectionTitle(PopupMenu& popup, const MenuItem& item, const Theme& theme) {
  const QFont font = item.attributes ? qtFont(item.attributes->font, theme.systemFont) : theme.systemFont;
  const QColor color = qtColor(item.attributes ? item.attributes->foregroundColor : labelColor(), theme.palette);
  auto* action = new QWidgetAction(&popup);
  action->setDefaultWidget(new SectionTitleRow(QString::fromStdString(singleLine(item.title)), font, color));
  action->setEnabled(false);  // a heading: choosing it must not close the menu
  popup.addAction(action);
}

// Without an action the entry cannot be chosen, and looks it, as any such entry does.
void addMore(PopupMenu& popup, const MenuItem& item) {
  QAction* action = popup.addAction(entryText(item.title));
  action->setEnabled(false);
}

void addCommand(PopupMenu& popup, const MenuItem& item) {
  QString text = entryText(item.title);
  // Text after a tab is QMenu's shortcut column; the key itself is handled by PopupMenu,
  // as a letter alone, so no application-wide shortcut is registered.
  const QString key = QString::fromStdString(item.keyEquivalent);
  const bool hasKey = key.size() == 1 && key.at(0).isLetter();
  if (hasKey) text += QLatin1Char('\t') + key.toUpper();
  QAction* action = popup.addAction(text);
  action->setEnabled(item.enabled);
  if (hasKey) PopupMenu::setKeyEquivalent(*action, key.at(0));
  if (item.action) QObject::connect(action, &QAction::triggered, action, [run = item.action] { run(); });
}

}  // namespace

MenuRenderer::MenuRenderer(std::shared_ptr<Menu> menu, QObject* parent)
    : QObject(parent), menu_(std::move(menu)), popup_(std::make_unique<PopupMenu>()), placeWindow_(new QTimer(this)) {
  placeWindow_->setInterval(kPlaceWindowInterval);
  connect(placeWindow_, &QTimer::timeout, this, [this] {
    const bool placed = popup_->isVisible() && moveOwnWindow(placement().topLeft());
    if (placed || !popup_->isVisible() || ++placeAttempts_ >= kPlaceWindowAttempts) placeWindow_->stop();
  });
  QPointer<MenuRenderer> self(this);
  if (menu_) {
    menu_->addChangeObserver([self] {
      if (self) self->scheduleRender();
    });
  }
  connect(popup_.get(), &PopupMenu::themeChanged, this, &MenuRenderer::scheduleRender);
  render();
}

MenuRenderer::~MenuRenderer() = default;

QMenu* MenuRenderer::popup() const { return popup_.get(); }

// The model reports every item of a rebuild; one queued render covers the whole burst.
void MenuRenderer::scheduleRender() {
  if (renderPending_) return;
  renderPending_ = true;
  QMetaObject::invokeMethod(this, &MenuRenderer::render, Qt::QueuedConnection);
}

void MenuRenderer::popUp(QPoint anchor) {
  if (popup_->isVisible()) {
    popup_->hide();
    return;
  }
  if (popup_->justClosedByClickOutside()) return;
  const DesktopGeometry desktop = desktopGeometryAt(anchor);
  anchor_ = panelAnchor(anchor, desktop.pointer, desktop.screen, desktop.workArea);
  workArea_ = desktop.workArea;
  popup_->fitWindowToContents(workArea_.size());
  const QRect geometry = placement();
  popup_->popup(geometry.topLeft());
  // Qt keeps a popup inside the whole screen only; it must stay off the panels too.
  popup_->setGeometry(geometry);
  placeStandingWindow();
}

void MenuRenderer::placeStandingWindow() {
  if (!PopupMenu::standsAlone() || !hasSwayIpc()) return;
  placeAttempts_ = 0;
  placeWindow_->start();
}

QRect MenuRenderer::placement() const {
  QSize size = popup_->sizeHint();
  if (workArea_.isEmpty()) return QRect(anchor_, size);
  size = size.boundedTo(workArea_.size());  // it scrolls beyond
  return QRect(dropDownPosition(anchor_, size, workArea_), size);
}

void MenuRenderer::render() {
  renderPending_ = false;
  const Theme theme{popup_->palette(), popup_->font()};
  // The new entries go in before the old ones leave: on a real window system an open menu
  // that is emptied, even for a moment, closes itself.
  const QList<QAction*> previous = popup_->actions();
  if (menu_) {
    for (const MenuItem& item : menu_->items()) {
      switch (item.kind) {
        case MenuItem::Kind::view: addView(*popup_, item, theme); break;
        case MenuItem::Kind::sectionTitle: addSectionTitle(*popup_, item, theme); break;
        case MenuItem::Kind::more: addMore(*popup_, item); break;
        case MenuItem::Kind::command: addCommand(*popup_, item); break;
        case MenuItem::Kind::separator: popup_->addSeparator(); break;
      }
    }
  }
  for (QAction* action : previous) {
    popup_->removeAction(action);
    action->deleteLater();
  }
  // QMenu has taken its new size by now; a bottom panel's drop-down must grow upwards.
  if (popup_->isVisible()) {
    popup_->fitWindowToContents(workArea_.size());
    popup_->setGeometry(placement());
    placeStandingWindow();
  }
  emit rendered();
}

}  // namespace CorlaMeetings
