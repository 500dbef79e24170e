#pragma once

namespace CorlaMeetings {

class Url;

// The desktop's handlers for links and applications. Results are not reported.
class Workspace {
 public:
  virtual ~Workspace() = default;
  // Opens a web link in the user's browser. Implementations refuse anything but http
  // and https: links come from invites, and other schemes can start local programs.
  virtual void openURL(const Url& url) = 0;
  // Launches or raises the user's calendar application.
  virtual void openCalendarApplication() = 0;
};

}  // namespace CorlaMeetings
