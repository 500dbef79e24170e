#pragma once

#include <QString>
#include <string>

namespace CorlaMeetings {

// `text` (UTF-8) as one line for a panel's label, tool tip or menu entry: control
// characters and line or paragraph separators become spaces. Meeting names are text from
// strangers.
QString panelLine(const std::string& text);

}  // namespace CorlaMeetings
