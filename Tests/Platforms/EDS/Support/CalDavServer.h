#pragma once

#include <QProcess>
#include <QTemporaryDir>

#include <string>

namespace CorlaMeetings::Testing {

// Debian's radicale serving one CalDAV calendar, /ann/work/, on 127.0.0.1 without
// authentication, from a folder of its own. Events are put in place as the server stores
// them (one .ics file each), so no HTTP client is needed.
class CalDavServer {
 public:
  CalDavServer();
  ~CalDavServer() { stop(); }

  bool running() const { return server_.state() == QProcess::Running; }
  std::string calendarUrl() const;
  void put(const std::string& fileName, const std::string& calendarText);
  void stop();

 private:
  QTemporaryDir directory_;
  QProcess server_;
  int port_ = 0;
};

}  // namespace CorlaMeetings::Testing
