#pragma once

#include <deque>
#include <ostream>
#include <sstream>
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

  // For follow on a terminal: each view replaces the one before (cursor home, screen
  // cleared) rather than following it. Reminders printed to reminderOutput() are kept
  // beneath the view, the last few of them, since clearing would take them away.
  void redrawInPlace() { redraw_ = true; }
  // Where reminder lines go: the output itself unless the view is redrawn in place.
  std::ostream& reminderOutput() { return redraw_ ? reminders_ : out_; }

  // A key typed in follow: runs the menu command it is the key of (r, o, q), if any.
  void keyPressed(char key);

 private:
  void menuChanged();
  void show();
  void printView();
  void printReminders();
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
  bool redraw_ = false;
  std::ostringstream reminders_;           // written since the last view
  std::deque<std::string> keptReminders_;  // shown beneath the view
};

}  // namespace CorlaMeetings
