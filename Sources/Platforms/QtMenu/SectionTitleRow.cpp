#include "QtMenu/SectionTitleRow.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionMenuItem>

namespace CorlaMeetings {

SectionTitleRow::SectionTitleRow(const QString& title, const QFont& font, const QColor& color, QWidget* parent)
    : QWidget(parent), title_(title), font_(font), color_(color) {}

void SectionTitleRow::initStyleOption(QStyleOptionMenuItem& option) const {
  option.initFrom(this);
  // Drawn as an enabled, unselected entry: the colour is the title's own, not the greyed one.
  option.state = (option.state & ~QStyle::State_Selected) | QStyle::State_Enabled;
  option.menuItemType = QStyleOptionMenuItem::Normal;
  option.checkType = QStyleOptionMenuItem::NotCheckable;
  // '&' would mark a mnemonic and a tab would start a shortcut column.
  option.text =
      QString(title_).replace(QLatin1Char('&'), QLatin1String("&&")).replace(QLatin1Char('\t'), QLatin1Char(' '));
  option.font = font_;
  option.fontMetrics = QFontMetrics(font_);
  option.maxIconWidth = 0;
  option.reservedShortcutWidth = 0;
  for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText}) {
    option.palette.setColor(role, color_);
  }
}

QSize SectionTitleRow::sizeHint() const {
  QStyleOptionMenuItem option;
  initStyleOption(option);
  const QSize text(option.fontMetrics.horizontalAdvance(option.text), option.fontMetrics.height());
  return style()->sizeFromContents(QStyle::CT_MenuItem, &option, text, parentWidget());
}

void SectionTitleRow::paintEvent(QPaintEvent*) {
  QStyleOptionMenuItem option;
  initStyleOption(option);
  QPainter painter(this);
  style()->drawControl(QStyle::CE_MenuItem, &option, &painter, parentWidget());
}

}  // namespace CorlaMeetings
