#include "TerminalFrontEnd.h"

#include "StatusBarLine.h"
#include "ui/MenuText.h"

namespace CorlaMeetings {

TerminalFrontEnd::TerminalFrontEnd(Mode mode, bool json, TerminalStatusItem& statusItem, RunLoop& runLoop,
                                   Application& application, std::ostream& out)
    : mode_(mode), json_(json), statusItem_(statusItem), runLoop_(runLoop), application_(application), out_(out) {
  statusItem_.setMenuObserver([this] { menuChanged(); });
}

void TerminalFrontEnd::accessAnswered() {
  answered_ = true;
  if (mode_ == Mode::once) {
    if (finished_) return;
    finished_ = true;
    printView();
    application_.terminate();
    return;
  }
  show();
}

// A rebuild changes the menu item by item: show it once, when the rebuild is over.
void TerminalFrontEnd::menuChanged() {
  if (!answered_ || mode_ == Mode::once || showPending_ || finished_) return;
  showPending_ = true;
  runLoop_.postTask([this] {
    showPending_ = false;
    show();
  });
}

void TerminalFrontEnd::show() {
  if (finished_) return;
  if (mode_ == Mode::follow) {
    printView();
    out_ << "\n" << std::flush;
    endIfUnread();
    return;
  }
  auto menu = statusItem_.menu();
  if (!menu) return;
  std::string line = statusBarLine(statusBarState(statusItem_.title(), *menu), json_);
  if (line == lastStatusLine_) return;
  lastStatusLine_ = line;
  out_ << line << "\n" << std::flush;
  endIfUnread();
}

// A write that failed means the reader has gone (the bar that started us ended, with
// SIGPIPE ignored): what we print has nowhere to go, so we stop, quietly.
void TerminalFrontEnd::endIfUnread() {
  if (out_ || finished_) return;
  finished_ = true;
  application_.terminate();
}

void TerminalFrontEnd::printView() {
  out_ << "title: " << singleLine(statusItem_.title()) << "\n";
  out_ << "tooltip: " << singleLine(statusItem_.toolTip()) << "\n";
  if (auto menu = statusItem_.menu()) {
    for (const std::string& line : menuTextLines(*menu)) out_ << line << "\n";
  }
  out_ << std::flush;
}

}  // namespace CorlaMeetings
