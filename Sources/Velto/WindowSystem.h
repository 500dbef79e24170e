#pragma once

#include <string>

namespace CorlaMeetings {

struct Session {
  std::string requestedPlatform;  // QT_QPA_PLATFORM
  bool hasX11Display = false;     // DISPLAY: X11, or XWayland beside a Wayland compositor
  bool hasWaylandDisplay = false;
  bool hasSwayIpc = false;  // the compositor places windows when asked (sway)
};

// The session this process runs in, from its environment.
Session currentSession();

// The Qt platform the tray runs on: QT_QPA_PLATFORM when set, as the user asked; else X11
// wherever an X display is reachable, since only there can a program place a drop-down
// beside its panel item (through XWayland too); but Wayland itself on sway, which places
// windows when asked and gives XWayland's popups neither the keyboard nor the clicks
// outside them that close a menu; else Wayland. Empty with no display at all.
std::string trayPlatform(const Session& session);

// True when Qt can start on `platform` here: its plugin loads and reaches its display. Qt
// aborts the process when it cannot, so this is tried in a short-lived child process.
bool platformStarts(const std::string& platform);

// Sets the environment the tray's QApplication is made in, and gives the session's own back
// once Qt has read it (restore(), or when it goes): programs Velto starts later (a browser
// for a join link) must not inherit what Velto chose for itself.
//  - QT_QPA_PLATFORM is `platform`;
//  - on Wayland, Qt's OpenGL buffer integration is left out unless the user asked for one:
//    the tray draws with the processor only, and the GL stack costs it 50 MB at its first
//    drop-down.
class TrayPlatformEnvironment {
 public:
  explicit TrayPlatformEnvironment(const std::string& platform);
  ~TrayPlatformEnvironment() { restore(); }
  TrayPlatformEnvironment(const TrayPlatformEnvironment&) = delete;
  TrayPlatformEnvironment& operator=(const TrayPlatformEnvironment&) = delete;

  // After the QApplication is made. Idempotent.
  void restore();

 private:
  struct Saved {
    const char* name;
    bool wasSet;
    std::string value;
  };
  void set(const char* name, const std::string& value);

  Saved saved_[2];
  int savedCount_ = 0;
};

}  // namespace CorlaMeetings
