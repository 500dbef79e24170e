#include "QtMenu/ViewWidget.h"

#include <gtest/gtest.h>
#include <unicode/locid.h>
#include <QApplication>
#include <QFontMetrics>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include "CorlaMeetings/ui/ViewTestSupport.h"
#include "QtMenu/Fonts.h"
#include "Simulated/SimulatedClock.h"
#include "Support/LocalTime.h"
#include "ui/DisplayText.h"
#include "ui/HeaderView.h"
#include "ui/MeetingCardView.h"

// Readable failures for the Qt values compared here.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QColor& color, std::ostream* out) { *out << color.name(QColor::HexArgb).toStdString(); }
inline void PrintTo(const QRect& r, std::ostream* out) {
  *out << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << ", " << r.height() << ")";
}
QT_END_NAMESPACE

namespace CorlaMeetings::Testing {
namespace {

const QColor blue(46, 120, 255);
const QColor lime(156, 255, 48);
// A theme as a desktop hands it out: every colour derived from the window colour.
const QPalette light(QColor(0xef, 0xef, 0xef), QColor(0xf6, 0xf6, 0xf6));

// Monday 7 December 2026, local time: no clock change in the days that follow.
Instant december7(int hour, int minute = 0) { return Testing::localTime(2026, 12, 7, hour, minute); }

std::unique_ptr<QWidget> render(std::shared_ptr<const View> view) {
  return std::unique_ptr<QWidget>(makeViewWidget(std::move(view), Theme{light, QApplication::font()}));
}

QList<QWidget*> childrenOf(const QWidget& widget) { return widget.findChildren<QWidget*>(Qt::FindDirectChildrenOnly); }

QLabel& labelAt(const QWidget& root, int index) { return *qobject_cast<QLabel*>(childrenOf(root).at(index)); }

QImage snapshot(QWidget& widget) { return widget.grab().toImage().convertToFormat(QImage::Format_ARGB32); }

// Colours as drawn, 8 bits a channel: QColor compares 16-bit channels, which a colour made
// from fractions and one made from bytes rarely share.
QColor drawn(const QColor& color) { return QColor::fromRgba(color.rgba()); }

QColor textColor(const QLabel& label) { return drawn(label.palette().color(QPalette::WindowText)); }

QColor windowText(double alpha = 1) {
  QColor color = light.color(QPalette::WindowText);
  color.setAlphaF(alpha);
  return drawn(color);
}

// Frames flipped to the top-left, a point to a pixel: a subview at y with height h in a
// parent H tall sits at H - y - h. The frames themselves are pinned by the core's layout
// snapshot; here only their translation counts.
TEST(ViewWidget, PlacesSubviewsAtTheirFlippedFramesInTheirFonts) {
  const MeetingItem standup = meeting(december7(9), december7(9, 30), std::nullopt, "https://zoom.us/j/1", "Standup");
  SimulatedClock clock(december7(8));
  const auto weight = [](FontWeight w) {
    return w == FontWeight::bold ? QFont::Bold : w == FontWeight::semibold ? QFont::DemiBold : QFont::Normal;
  };
  for (std::shared_ptr<const View> view :
       {std::shared_ptr<const View>(std::make_shared<HeaderView>(std::vector<MeetingItem>{standup}, standup, clock)),
        std::shared_ptr<const View>(std::make_shared<MeetingCardView>(
            standup, [] {}, december7(8))),
        std::shared_ptr<const View>(std::make_shared<StatusCardView>("Title", "Subtitle", "Detail"))}) {
    const Rect& root = view->frame();
    auto widget = render(view);
    EXPECT_EQ(widget->size(), QSize(root.width, root.height));
    const auto children = childrenOf(*widget);
    ASSERT_EQ(children.size(), view->subviews().size());
    for (int i = 0; i < int(children.size()); ++i) {
      const Rect& f = view->subviews()[i]->frame();
      SCOPED_TRACE(i);
      EXPECT_EQ(children[i]->geometry(), QRect(f.x, root.height - f.y - f.height, f.width, f.height));
      const auto* label = dynamic_cast<const Label*>(view->subviews()[i].get());
      if (!label) continue;
      EXPECT_EQ(children[i]->font().pixelSize(), label->font.size);
      EXPECT_EQ(children[i]->font().weight(), weight(label->font.weight));
    }
  }
  auto card = render(std::make_shared<MeetingCardView>(
      standup, [] {}, december7(8)));
  EXPECT_TRUE(hasTabularDigits(labelAt(*card, 1).font())) << "time range";
}

TEST(ViewWidget, TakesFixedColoursExactlyAndSemanticOnesFromThePalette) {
  const MeetingItem standup = meeting(december7(9), december7(9, 30), std::nullopt, std::nullopt, "Standup");
  auto live = render(std::make_shared<MeetingCardView>(
      standup, [] {}, december7(9, 10)));
  auto later = render(std::make_shared<MeetingCardView>(
      standup, [] {}, december7(8)));

  EXPECT_EQ(textColor(labelAt(*live, 1)), lime);
  EXPECT_EQ(textColor(labelAt(*later, 1)), windowText(0.55));
  EXPECT_EQ(textColor(labelAt(*later, 2)), windowText());
  EXPECT_EQ(textColor(labelAt(*later, 3)), windowText(0.55));
  // The accent bar is a rounded background: sample its middle.
  EXPECT_EQ(snapshot(*live).pixelColor(17, 33), lime);
  EXPECT_EQ(snapshot(*later).pixelColor(17, 33), blue);

  SimulatedClock clock(december7(8));
  auto header = render(std::make_shared<HeaderView>(std::vector<MeetingItem>{standup}, standup, clock));
  EXPECT_EQ(textColor(labelAt(*header, 2)), blue);
  EXPECT_TRUE(labelAt(*header, 2).alignment() & Qt::AlignRight);
}

// Invite texts are untrusted: markup stays text, a line break cannot add a line, and a long
// text is cut with an ellipsis within its frame.
TEST(ViewWidget, ShowsTextAsOnePlainLineCutToItsWidth) {
  auto status = render(std::make_shared<StatusCardView>("<b>Board</b> &amp;\nsync", "<img src=x>", "tab\there"));
  EXPECT_EQ(labelAt(*status, 0).textFormat(), Qt::PlainText);
  EXPECT_EQ(labelAt(*status, 0).text(), QString("<b>Board</b> &amp; sync"));
  EXPECT_EQ(labelAt(*status, 1).text(), QString("<img src=x>"));
  EXPECT_EQ(labelAt(*status, 2).text(), QString("tab here"));

  const QString title = "Quarterly planning for the platform group and everyone else who wants to come";
  const QString location = "Building 7, third floor, the big room at the end of the corridor";
  auto card = render(std::make_shared<MeetingCardView>(
      meeting(december7(9), december7(10), location.toStdString(), std::nullopt, title.toStdString()), [] {},
      december7(8)));
  for (const auto& [index, full] : {std::pair{2, title}, std::pair{3, location}}) {
    const QLabel& label = labelAt(*card, index);
    EXPECT_TRUE(label.text().endsWith(QChar(0x2026))) << label.text().toStdString();
    EXPECT_TRUE(full.startsWith(label.text().chopped(1))) << label.text().toStdString();
    EXPECT_LE(QFontMetrics(label.font()).horizontalAdvance(label.text()), 164);
  }
}

// A time that cannot be read is a wrong time. Debian's UI font is wider than the one the
// frames were laid out for: every short fixed text still shows whole, in both clock styles,
// at every hour of the day.
TEST(ViewWidget, ShowsFixedTextsWholeInAWideFont) {
  const Theme dejaVu{light, QFont(QStringLiteral("DejaVu Sans"))};
  SimulatedClock clock(december7(0));
  for (const char* locale : {"en_US", "en_GB"}) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale(locale), status);
    for (int hour = 0; hour < 24; ++hour) {
      const MeetingItem item =
          meeting(december7(hour, 14), december7(hour, 44), std::nullopt, "https://zoom.us/j/1", "Sync");
      for (std::shared_ptr<const View> view : {std::shared_ptr<const View>(std::make_shared<MeetingCardView>(
                                                   item, [] {}, december7(0))),
                                               std::shared_ptr<const View>(std::make_shared<HeaderView>(
                                                   std::vector<MeetingItem>(120, item), item, clock))}) {
        std::unique_ptr<QWidget> widget(makeViewWidget(view, dejaVu));
        for (const auto* label : widget->findChildren<const LabelWidget*>()) {
          if (label->text().endsWith(QChar(0x2026))) continue;  // a truncating label, cut on purpose
          SCOPED_TRACE(locale + (": " + label->text().toStdString()));
          EXPECT_LE(QFontMetricsF(label->font()).horizontalAdvance(label->text()) * label->horizontalScale(),
                    label->width() + 1e-6);
        }
      }
      std::unique_ptr<QWidget> card(makeViewWidget(std::make_shared<MeetingCardView>(
                                                       item, [] {}, december7(0)),
                                                   dejaVu));
      EXPECT_EQ(labelAt(*card, 1).text(), QString::fromStdString(timeRange(*item.event))) << "never elided";
    }
  }
  UErrorCode status = U_ZERO_ERROR;
  icu::Locale::setDefault(icu::Locale("en_US"), status);
}

// A click runs the card's action only when the meeting has a link; in a large font the title
// still fits inside the bevel.
TEST(ViewWidget, JoinButtonRunsTheActionOnlyWithALinkAndFitsItsTitle) {
  QFont large(QStringLiteral("DejaVu Sans"));
  large.setPixelSize(24);
  int joins = 0;
  for (const std::optional<std::string>& link : {std::optional<std::string>("https://zoom.us/j/1"), {}}) {
    std::unique_ptr<QWidget> card(makeViewWidget(
        std::make_shared<MeetingCardView>(
            meeting(december7(9), december7(10), std::nullopt, link, "Sync"), [&] { ++joins; }, december7(8)),
        Theme{light, large}));
    auto* button = qobject_cast<QPushButton*>(childrenOf(*card).back());
    button->click();
    EXPECT_EQ(button->text(), link ? "Join" : "Open");
    EXPECT_EQ(joins, 1);
    QStyleOptionButton option;
    option.initFrom(button);
    const QRect contents = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    EXPECT_LE(QFontMetrics(button->font()).horizontalAdvance(button->text()), contents.width())
        << button->text().toStdString();
  }
}

}  // namespace
}  // namespace CorlaMeetings::Testing
