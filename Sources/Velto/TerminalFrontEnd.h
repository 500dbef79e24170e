#pragma once

#include <ostream>
#include <string>

#include "TerminalStatusItem.h"
#include "app/Application.h"
#include "app/RunLoop.h"

namespace CorlaMeetings {

// Shows the application's state as text. Three ways:
//  - once: after the first calendar answer, the title, tool tip and menu; then quits;
//  - statusLine: a line (plain or JSON) whenever what a status bar shows changes;
//  - follow: the whole view again after every refresh, until interrupted.
// Nothing is printed before the first calendar answer, so no "access needed" flashes by.
// When a write fails, the reader has gone: the application is terminated, and nothing
// more is printed.
class TerminalFrontEnd {
 public:
  enum class Mode { once, statusLine, follow };

  TerminalFrontEnd(Mode mode, bool json, TerminalStatusItem& statusItem, RunLoop& runLoop, Application& application,
                   std::ostream& out);

  // Called once the first (and every later) calendar access answer has been applied.
  void accessAnswered();

 private:
  void menuChanged();
  void show();
  void printView();
  void endIfUnread();

  Mode mode_;
  bool json_;
  TerminalStatusItem& statusItem_;
  RunLoop& runLoop_;
  Application& application_;
  std::ostream& out_;
  bool answered_ = false;
  bool showPending_ = false;
  bool finished_ = false;  // printed for the last time
  std::string lastStatusLine_;
};

}  // namespace CorlaMeetings
