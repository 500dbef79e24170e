#include "QtMenu/ViewWidget.h"

#include <QFontMetrics>
#include <QPushButton>
#include <gtest/gtest.h>

#include "Platforms/QtMenu/QtMenuTestSupport.h"
#include "QtMenu/Fonts.h"
#include "Simulated/SimulatedClock.h"
#include "ui/HeaderView.h"
#include "ui/MeetingCardView.h"

namespace CorlaMeetings {
namespace {

using Testing::childrenOf;
using Testing::december7;
using Testing::drawn;
using Testing::meetingItem;

std::unique_ptr<QWidget> render(std::shared_ptr<const View> view) {
  return std::unique_ptr<QWidget>(makeViewWidget(std::move(view), Theme{Testing::lightPalette(), QApplication::font()}));
}

QLabel& labelAt(const QWidget& root, std::size_t index) { return *qobject_cast<QLabel*>(childrenOf<QWidget>(root).at(index)); }

QColor textColor(const QLabel& label) { return drawn(label.palette().color(QPalette::WindowText)); }

QColor windowText() { return drawn(Testing::lightPalette().color(QPalette::WindowText)); }

QColor secondaryText() {
  QColor color = windowText();
  color.setAlphaF(0.55);
  return drawn(color);
}

// Frames flipped to the top-left: a subview at y with height h in a parent H tall sits at
// H - y - h.
TEST(ViewWidgetLayout, PlacesLabelsAtTheirFramesInTheirFonts) {
  struct Expected {
    QRect geometry;
    int pixelSize;
    QFont::Weight weight;
  };
  const MeetingItem standup = meetingItem("Standup", december7(9), december7(9, 30), "https://zoom.us/j/1");
  SimulatedClock clock(december7(8));
  const struct {
    const char* name;
    std::shared_ptr<const View> view;
    QSize size;
    std::vector<Expected> labels;  // in subview order, from the first
  } cases[] = {
      {"header", std::make_shared<HeaderView>(std::vector<MeetingItem>{standup}, standup, clock), {410, 124},
       {{{18, 7, 220, 16}, 11, QFont::DemiBold},
        {{18, 27, 285, 31}, 24, QFont::Bold},
        {{280, 13, 92, 20}, 13, QFont::DemiBold},
        {{18, 64, 354, 18}, 12, QFont::Normal}}},
      {"status card", std::make_shared<StatusCardView>("No meetings", "Next 4 days are clear", "Nothing."), {390, 88},
       {{{18, 6, 340, 24}, 17, QFont::Bold},
        {{18, 35, 340, 18}, 13, QFont::DemiBold},
        {{18, 56, 340, 18}, 12, QFont::Normal}}},
      {"meeting card", std::make_shared<MeetingCardView>(standup, [] {}, december7(8)), {390, 66},
       {{{16, 18, 4, 30}, 0, {}},  // accent bar, not a label
        {{30, 9, 92, 18}, 12, QFont::DemiBold},
        {{126, 7, 164, 20}, 14, QFont::DemiBold},
        {{126, 27, 164, 16}, 11, QFont::Normal},
        {{126, 43, 164, 16}, 11, QFont::Normal},
        {{304, 20, 66, 28}, 0, {}}}},  // Join
  };
  for (const auto& c : cases) {
    auto widget = render(c.view);
    EXPECT_EQ(widget->size(), c.size) << c.name;
    const auto children = childrenOf<QWidget>(*widget);
    ASSERT_EQ(children.size(), c.view->subviews().size()) << c.name;
    for (std::size_t i = 0; i < c.labels.size(); ++i) {
      EXPECT_EQ(children[i]->geometry(), c.labels[i].geometry) << c.name << " subview " << i;
      if (c.labels[i].pixelSize == 0) continue;
      EXPECT_EQ(children[i]->font().pixelSize(), c.labels[i].pixelSize) << c.name << " subview " << i;
      EXPECT_EQ(children[i]->font().weight(), c.labels[i].weight) << c.name << " subview " << i;
    }
  }
  EXPECT_TRUE(hasTabularDigits(labelAt(*render(cases[2].view), 1).font())) << "time range";
}

TEST(ViewWidgetColours, FixedColoursExactlyAndSemanticOnesFromThePalette) {
  const MeetingItem standup = meetingItem("Standup", december7(9), december7(9, 30));
  auto live = render(std::make_shared<MeetingCardView>(standup, [] {}, december7(9, 10)));
  auto later = render(std::make_shared<MeetingCardView>(standup, [] {}, december7(8)));
  const QColor lime(156, 255, 48);
  const QColor blue(46, 120, 255);

  EXPECT_EQ(textColor(labelAt(*live, 1)), lime);
  EXPECT_EQ(textColor(labelAt(*later, 1)), secondaryText());
  EXPECT_EQ(textColor(labelAt(*later, 2)), windowText());
  EXPECT_EQ(textColor(labelAt(*later, 3)), secondaryText());
  // The accent bar is a rounded background: sample its middle.
  EXPECT_EQ(Testing::snapshot(*live).pixelColor(17, 33), lime);
  EXPECT_EQ(Testing::snapshot(*later).pixelColor(17, 33), blue);

  SimulatedClock clock(december7(8));
  auto header = render(std::make_shared<HeaderView>(std::vector<MeetingItem>{standup}, standup, clock));
  EXPECT_EQ(textColor(labelAt(*header, 2)), blue);
  EXPECT_TRUE(labelAt(*header, 2).alignment() & Qt::AlignRight);
}

TEST(ViewWidgetText, CutsLongTextsWithAnEllipsisWithinTheirWidth) {
  const QString title = "Quarterly planning for the platform group and everyone else who wants to come";
  const QString location = "Building 7, third floor, the big room at the end of the corridor";
  auto card = render(std::make_shared<MeetingCardView>(
      meetingItem(title.toStdString(), december7(9), december7(10), std::nullopt, location.toStdString()), [] {},
      december7(8)));
  for (const auto& [index, full] : {std::pair{2, title}, std::pair{3, location}}) {
    const QLabel& label = labelAt(*card, index);
    EXPECT_TRUE(label.text().endsWith(QChar(0x2026))) << label.text().toStdString();
    EXPECT_TRUE(full.startsWith(label.text().chopped(1))) << label.text().toStdString();
    EXPECT_LE(QFontMetrics(label.font()).horizontalAdvance(label.text()), 164);
  }
}

// Invite texts are untrusted: markup stays text and a line break cannot add a line.
TEST(ViewWidgetText, ShowsMarkupAndControlCharactersAsPlainOneLineText) {
  auto card = render(std::make_shared<StatusCardView>("<b>Board</b> &amp;\nsync", "<img src=x>", "tab\there"));
  EXPECT_EQ(labelAt(*card, 0).textFormat(), Qt::PlainText);
  EXPECT_EQ(labelAt(*card, 0).text(), QString("<b>Board</b> &amp; sync"));
  EXPECT_EQ(labelAt(*card, 1).text(), QString("<img src=x>"));
  EXPECT_EQ(labelAt(*card, 2).text(), QString("tab here"));
}

TEST(ViewWidgetButton, JoinRunsTheActionOnlyWhenTheMeetingHasALink) {
  int joins = 0;
  const auto button = [&](std::optional<std::string> link) {
    auto card = render(std::make_shared<MeetingCardView>(meetingItem("Sync", december7(9), december7(10), link),
                                                         [&] { ++joins; }, december7(8)));
    auto* pushButton = childrenOf<QPushButton>(*card).at(0);
    pushButton->click();
    return std::pair{pushButton->text(), pushButton->isEnabled()};
  };
  EXPECT_EQ(button("https://zoom.us/j/1"), std::pair(QString("Join"), true));
  EXPECT_EQ(joins, 1);
  EXPECT_EQ(button(std::nullopt), std::pair(QString("Open"), false));
  EXPECT_EQ(joins, 1);
}

TEST(ViewWidgetRobustness, SurvivesNonsenseFramesAndMissingSubviews) {
  const double nan = std::nan("");
  auto root = std::make_shared<View>(Rect{0, 0, 100, 40});
  root->addSubview(std::make_shared<Label>("nan", Rect{nan, nan, nan, nan}));
  root->addSubview(std::make_shared<Label>("huge", Rect{1e300, -1e300, 1e300, 1e300}));
  auto inverted = std::make_shared<View>(Rect{10, 10, -50, -5});
  inverted->backgroundColor = Color::rgba(nan, 2, -1, 0.5);
  inverted->cornerRadius = -3;
  root->addSubview(inverted);
  root->addSubview(nullptr);
  auto widget = render(root);
  EXPECT_EQ(childrenOf<QWidget>(*widget).size(), 3u);
  EXPECT_FALSE(Testing::snapshot(*widget).isNull());
}

}  // namespace
}  // namespace CorlaMeetings
