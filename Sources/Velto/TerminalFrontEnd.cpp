#include "TerminalFrontEnd.h"

#include "StatusBarLine.h"
#include "meetings/PlainText.h"
#include "ui/MenuText.h"

namespace CorlaMeetings {

namespace {

// A clear screen with the cursor at the top left. Done as the first row, then everything
// below it: terminals that keep a screen cleared at once in their scrollback (tmux, VTE)
// would otherwise keep a copy of every view there.
constexpr char kHomeAndClear[] = "\x1b[H\x1b[K\x1b[B\x1b[J\x1b[H";
constexpr std::size_t kKeptReminders = 5;

}  // namespace

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
  if (!showPending_) show();  // else the refresh the answer started shows soon anyway
}

void TerminalFrontEnd::keyPressed(char key) {
  auto menu = statusItem_.menu();
  if (!menu || finished_) return;
  key = asciiLowercase(key);
  for (const MenuItem& item : menu->items()) {
    if (item.kind != MenuItem::Kind::command || !item.enabled || item.keyEquivalent != std::string(1, key)) continue;
    std::function<void()> action = item.action;  // the command may rebuild the menu
    if (action) action();
    return;
  }
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
    if (redraw_) out_ << kHomeAndClear;
    printView();
    if (redraw_) {
      printReminders();
    } else {
      out_ << "\n";
    }
    out_ << std::flush;
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
  out_ << "title: " << singleLine(statusItem_.title().text) << "\n";
  out_ << "tooltip: " << singleLine(statusItem_.toolTip()) << "\n";
  if (auto menu = statusItem_.menu()) {
    for (const std::string& line : menuTextLines(*menu)) out_ << line << "\n";
  }
  out_ << std::flush;
}

void TerminalFrontEnd::printReminders() {
  std::istringstream written(reminders_.str());
  reminders_.str("");
  for (std::string line; std::getline(written, line);) keptReminders_.push_back(line);
  while (keptReminders_.size() > kKeptReminders) keptReminders_.pop_front();
  if (!keptReminders_.empty()) out_ << "\n";
  for (const std::string& line : keptReminders_) out_ << line << "\n";
}

}  // namespace CorlaMeetings
