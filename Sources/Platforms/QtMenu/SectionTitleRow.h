#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

class QStyleOptionMenuItem;

namespace CorlaMeetings {

// A section title in the menu: laid out and drawn as the style draws a menu entry, so it
// lines up with the commands, but in the title's own font and colour. It is never
// highlighted or chosen; the menu entry holding it is disabled.
class SectionTitleRow : public QWidget {
  Q_OBJECT

 public:
  SectionTitleRow(const QString& title, const QFont& font, const QColor& color, QWidget* parent = nullptr);

  const QString& title() const { return title_; }
  const QFont& titleFont() const { return font_; }
  const QColor& titleColor() const { return color_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void initStyleOption(QStyleOptionMenuItem& option) const;

  QString title_;
  QFont font_;
  QColor color_;
};

}  // namespace CorlaMeetings
