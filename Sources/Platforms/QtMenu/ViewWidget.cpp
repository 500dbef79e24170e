#include "QtMenu/ViewWidget.h"

#include <algorithm>

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <utility>

#include "QtMenu/FittedText.h"
#include "QtMenu/FlippedGeometry.h"
#include "QtMenu/Fonts.h"
#include "QtMenu/QPainterGraphicsContext.h"
#include "QtMenu/SemanticColors.h"
#include "meetings/PlainText.h"

namespace CorlaMeetings {

namespace {

// Background, then the node's own drawing; its subviews are child widgets, painted after.
void paintNode(QWidget& widget, const View& view, const QPalette& palette) {
  QPainter painter(&widget);
  QPainterGraphicsContext context(painter, view.frame().height, palette);
  if (view.backgroundColor) {
    context.fillRoundedRect(view.bounds(), view.cornerRadius, view.cornerRadius, *view.backgroundColor);
  }
  view.draw(context);
}

// Titles are shown as given: '&' would otherwise mark a mnemonic.
QString buttonTitle(const std::string& title) {
  return QString::fromStdString(singleLine(title)).replace(QLatin1Char('&'), QLatin1String("&&"));
}

QWidget* makeNodeWidget(const std::shared_ptr<const View>& view, const Theme& theme, QWidget* parent,
                        const QRect& geometry);

// What a button `frameWidth` wide leaves for its title once its style has drawn the bevel
// and padding around it.
int textWidth(const QPushButton& button, int frameWidth) {
  QStyleOptionButton option;
  option.initFrom(&button);
  const QSize chrome = button.style()->sizeFromContents(QStyle::CT_PushButton, &option, QSize(0, 0), &button);
  return frameWidth - chrome.width();
}

void addSubviews(QWidget& widget, const View& view, const Theme& theme) {
  for (const std::shared_ptr<View>& subview : view.subviews()) {
    if (!subview) continue;
    makeNodeWidget(subview, theme, &widget, flippedWidgetRect(subview->frame(), view.frame().height));
  }
}

QWidget* makeNodeWidget(const std::shared_ptr<const View>& view, const Theme& theme, QWidget* parent,
                        const QRect& geometry) {
  QWidget* widget = nullptr;
  if (auto label = std::dynamic_pointer_cast<const Label>(view)) {
    widget = new LabelWidget(label, theme, geometry.width(), parent);
  } else if (auto button = std::dynamic_pointer_cast<const Button>(view)) {
    auto* pushButton = new QPushButton(buttonTitle(button->title), parent);
    pushButton->setFont(
        fitText(pushButton->text(), pushButton->font(), textWidth(*pushButton, geometry.width()), 1).font);
    pushButton->setEnabled(button->enabled);
    // Keys belong to the menu around the button: its letters choose commands.
    pushButton->setFocusPolicy(Qt::NoFocus);
    QObject::connect(pushButton, &QPushButton::clicked, pushButton, [button] { button->press(); });
    widget = pushButton;
  } else {
    widget = new ViewWidget(view, theme.palette, parent);
  }
  widget->setGeometry(geometry);
  addSubviews(*widget, *view, theme);
  return widget;
}

}  // namespace

QWidget* makeViewWidget(std::shared_ptr<const View> root, const Theme& theme, QWidget* parent) {
  if (!root) return new QWidget(parent);
  const QRect frame = flippedWidgetRect(root->bounds(), root->frame().height);
  QWidget* widget = makeNodeWidget(root, theme, parent, frame);
  widget->setFixedSize(frame.size());
  return widget;
}

ViewWidget::ViewWidget(std::shared_ptr<const View> view, QPalette palette, QWidget* parent)
    : QWidget(parent), view_(std::move(view)), palette_(std::move(palette)) {}

void ViewWidget::paintEvent(QPaintEvent*) { paintNode(*this, *view_, palette_); }

void ViewWidget::mousePressEvent(QMouseEvent* event) { event->accept(); }

void ViewWidget::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }

LabelWidget::LabelWidget(std::shared_ptr<const Label> label, const Theme& theme, int width, QWidget* parent)
    : QLabel(parent), label_(std::move(label)), palette_(theme.palette) {
  setTextFormat(Qt::PlainText);  // invite texts are never markup
  setWordWrap(false);
  QFont font = qtFont(label_->font, theme.systemFont);
  QString text = QString::fromStdString(singleLine(label_->text));
  if (label_->lineBreakMode == LineBreakMode::truncateTail) {
    text = QFontMetrics(font).elidedText(text, Qt::ElideRight, width);
  } else {
    // The frames were drawn for a narrow UI font; in a wider one (DejaVu, say) a short
    // fixed text such as "10:00 AM-11:00 AM" would be clipped.
    const FittedText fitted = fitText(text, font, width);
    font = fitted.font;
    horizontalScale_ = fitted.horizontalScale;
  }
  setFont(font);

  QPalette palette = theme.palette;
  palette.setColor(QPalette::WindowText, qtColor(label_->textColor, theme.palette));
  setPalette(palette);

  const Qt::Alignment horizontal =
      label_->alignment == TextAlignment::right ? Qt::AlignRight | Qt::AlignAbsolute : Qt::AlignLeft;
  setAlignment(horizontal | Qt::AlignTop);

  setText(text);
}

void LabelWidget::paintEvent(QPaintEvent* event) {
  paintNode(*this, *label_, palette_);
  if (horizontalScale_ >= 1) {
    QLabel::paintEvent(event);
    return;
  }
  // Narrowed: the text is laid out as QLabel would, in a frame widened by the same factor.
  QPainter painter(this);
  painter.setFont(font());
  painter.setPen(palette().color(QPalette::WindowText));
  painter.scale(horizontalScale_, 1);
  painter.drawText(QRectF(0, 0, width() / horizontalScale_, height()), static_cast<int>(alignment()), text());
}

}  // namespace CorlaMeetings
