#include "QtTray/PanelText.h"

namespace CorlaMeetings {

QString panelLine(const std::string& text) {
  QString line = QString::fromStdString(text);
  for (QChar& c : line) {
    if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) c = u' ';
  }
  return line;
}

}  // namespace CorlaMeetings
