#include "QtMenu/MenuRenderer.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QWidgetAction>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Platforms/QtMenu/QtMenuTestSupport.h"
#include "QtMenu/SectionTitleRow.h"
#include "QtMenu/ViewWidget.h"
#include "Support/AppDelegateFixture.h"
#include "ui/HeaderView.h"
#include "ui/MeetingCardView.h"

namespace CorlaMeetings {
namespace {

using testing::Contains;
using testing::ElementsAre;

constexpr double hour = 3600;

// The core on the simulated platform (Monday 7 December 2026, 08:00), its menu drawn by
// the renderer.
class MenuRendererTest : public Testing::AppDelegateFixture {
 protected:
  void TearDown() override { QApplication::setPalette(originalPalette); }

  QMenu& popup() {
    if (!renderer) {
      renderer = std::make_unique<MenuRenderer>(sim.statusItem.menu());
      QObject::connect(renderer.get(), &MenuRenderer::rendered, [this] { ++renders; });
    }
    return *renderer->popup();
  }

  // Runs the renders queued by changes of the model or the theme. A theme change itself
  // arrives as a posted event, and queues the render in turn.
  static void settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents();
  }

  void open() {
    popup().popup(QPoint(40, 60));
    settle();
  }

  // One line per entry: "[header]", "[card] Title", "[section] Today", "---", or the entry's
  // text, marked "[disabled] " when it cannot be chosen.
  std::vector<std::string> outline() {
    std::vector<std::string> lines;
    for (QAction* action : popup().actions()) {
      auto* widget = qobject_cast<QWidgetAction*>(action) ? qobject_cast<QWidgetAction*>(action)->defaultWidget() : nullptr;
      auto* view = qobject_cast<ViewWidget*>(widget);
      if (action->isSeparator()) {
        lines.push_back("---");
      } else if (auto* row = qobject_cast<SectionTitleRow*>(widget)) {
        lines.push_back("[section] " + row->title().toStdString());
      } else if (auto* card = view ? dynamic_cast<const MeetingCardView*>(&view->view()) : nullptr) {
        lines.push_back("[card] " + card->titleLabel().text);
      } else if (view) {
        lines.push_back(dynamic_cast<const HeaderView*>(&view->view()) ? "[header]" : "[view]");
      } else {
        lines.push_back((action->isEnabled() ? "" : "[disabled] ") + action->text().toStdString());
      }
    }
    return lines;
  }

  template <typename Widget, typename View = void>
  Widget* first() {
    for (QAction* action : popup().actions()) {
      auto* widgetAction = qobject_cast<QWidgetAction*>(action);
      auto* widget = qobject_cast<Widget*>(widgetAction ? widgetAction->defaultWidget() : nullptr);
      if constexpr (std::is_void_v<View>) {
        if (widget) return widget;
      } else {
        if (widget && dynamic_cast<const View*>(&widget->view())) return widget;
      }
    }
    return nullptr;
  }

  void type(Qt::Key key, const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(&popup(), &press);
    sim.runLoop.runUntilIdle();
  }

  static void click(QWidget& widget, QPoint at) {
    const QPoint global = widget.mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &release);
  }

  std::unique_ptr<MenuRenderer> renderer;
  int renders = 0;
  const QPalette originalPalette = QApplication::palette();
};

TEST_F(MenuRendererTest, MirrorsTheMenuItemByItemAtTheViewsOwnSizes) {
  for (int i = 1; i <= 6; ++i) addMeeting("Today " + std::to_string(i), i * hour);
  addMeeting("Tomorrow 1", 25 * hour);
  launch();
  EXPECT_THAT(outline(), ElementsAre("[header]", "---", "[section] Today", "[card] Today 1", "[card] Today 2",
                                     "[card] Today 3", "[card] Today 4", "[card] Today 5", "[section] Tomorrow",
                                     "[card] Tomorrow 1", "[disabled] + 1 more in the next 4 days", "---",
                                     "Refresh\tR", "Open Calendar\tO", "Reminder: 15 min before",
                                     "Request Calendar Permission", "---", "Quit\tQ"));
  open();
  EXPECT_EQ((first<ViewWidget, HeaderView>()->size()), QSize(410, 124));
  EXPECT_EQ((first<ViewWidget, MeetingCardView>()->size()), QSize(390, 66));  // not stretched to the menu
}

TEST_F(MenuRendererTest, SectionTitlesAreSmallSemiboldSecondaryText) {
  addMeeting("Standup", hour);
  launch();
  SectionTitleRow* row = first<SectionTitleRow>();
  ASSERT_TRUE(row);
  EXPECT_EQ(row->titleFont().pixelSize(), 12);
  EXPECT_EQ(row->titleFont().weight(), QFont::DemiBold);
  QColor secondary = popup().palette().color(QPalette::WindowText);
  secondary.setAlphaF(0.55);
  EXPECT_EQ(row->titleColor(), secondary);
}

TEST_F(MenuRendererTest, TypingAKeyEquivalentClosesTheMenuAndRunsTheCommand) {
  launch();
  const struct {
    Qt::Key key;
    const char* text;
    std::function<int()> effect;
  } commands[] = {
      {Qt::Key_R, "r", [this] { return sim.calendarStore.queryCount(); }},
      {Qt::Key_O, "O", [this] { return sim.workspace.calendarApplicationOpenCount(); }},  // with Shift
      {Qt::Key_Q, "q", [this] { return sim.application.terminateCount(); }},
  };
  for (const auto& command : commands) {
    open();
    const int before = command.effect();
    type(command.key, command.text);
    EXPECT_EQ(command.effect(), before + 1) << command.text;
    EXPECT_FALSE(popup().isVisible()) << command.text;
  }

  open();
  type(Qt::Key_Q, "\x11", Qt::ControlModifier);
  type(Qt::Key_Q, "q", Qt::AltModifier);
  type(Qt::Key_X, "x");
  EXPECT_EQ(sim.application.terminateCount(), 1);
  EXPECT_TRUE(popup().isVisible());
}

TEST_F(MenuRendererTest, RebuildsOncePerBurstKeepingTheOpenMenuInPlace) {
  addMeeting("Standup", hour);
  launch();
  open();
  const QPoint position = popup().pos();
  const int before = renders;
  QPointer<QWidget> oldCard = first<ViewWidget, MeetingCardView>();

  addMeeting("Retro", 2 * hour);
  refresh();  // the core empties the menu and adds every item again, one change each
  EXPECT_EQ(renders, before);
  settle();
  EXPECT_EQ(renders, before + 1);
  EXPECT_TRUE(popup().isVisible());
  EXPECT_EQ(popup().pos(), position);
  EXPECT_TRUE(oldCard.isNull());
  EXPECT_THAT(outline(), Contains("[card] Retro"));
}

// A click on a heading, or beside a card's button, chooses nothing: the menu stays open.
TEST_F(MenuRendererTest, ClicksOnHeadingsAndCardsKeepTheMenuOpen) {
  addMeeting("Standup", hour);
  launch();
  open();
  click(*first<ViewWidget, MeetingCardView>(), QPoint(300, 5));
  click(*first<ViewWidget, HeaderView>(), QPoint(200, 50));
  click(*first<SectionTitleRow>(), QPoint(30, 5));
  EXPECT_TRUE(popup().isVisible());
}

// Secondary text is translucent: measured against what the menu really paints behind it.
TEST_F(MenuRendererTest, ReadsWellInLightAndDarkThemes) {
  addMeeting("Standup", hour);
  launch();
  for (const QPalette& palette : {Testing::lightPalette(), Testing::darkPalette()}) {
    QApplication::setPalette(palette);
    open();
    QWidget* header = first<ViewWidget, HeaderView>();
    const QColor background = Testing::snapshot(popup()).pixelColor(header->mapTo(&popup(), QPoint(395, 50)));
    const auto contrast = [&](const QColor& text) {
      return Testing::contrastRatio(Testing::composited(text, background), background);
    };
    const auto label = [&](std::size_t index) {
      return Testing::childrenOf<QLabel>(*header).at(index)->palette().color(QPalette::WindowText);
    };
    const std::string on = " on " + background.name().toStdString();
    EXPECT_GE(contrast(label(1)), 7.0) << "headline" << on;
    EXPECT_GE(contrast(label(3)), 4.5) << "detail" << on;
    EXPECT_GE(contrast(first<SectionTitleRow>()->titleColor()), 4.5) << "section title" << on;
    popup().hide();
  }
}

}  // namespace
}  // namespace CorlaMeetings
