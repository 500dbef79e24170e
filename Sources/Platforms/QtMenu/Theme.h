#pragma once

#include <QFont>
#include <QPalette>

namespace CorlaMeetings {

// What the model's semantic colours and its system font stand for when drawn: the palette
// and font of the menu the views appear in. Taken afresh at every render, so a change of
// desktop theme shows at the next one.
struct Theme {
  QPalette palette;
  QFont systemFont;
};

}  // namespace CorlaMeetings
