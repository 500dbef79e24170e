#pragma once

#include <string>
#include <vector>

#include "app/Workspace.h"

namespace CorlaMeetings {

// A workspace that records what it was asked to open and opens nothing. Like a real
// adapter it refuses every link that is not http or https. Main thread.
class RecordingWorkspace : public Workspace {
 public:
  void openURL(const Url& url) override;
  void openCalendarApplication() override { ++calendarApplicationOpenCount_; }

  // Absolute strings, in the order asked.
  const std::vector<std::string>& openedURLs() const { return openedURLs_; }
  const std::vector<std::string>& refusedURLs() const { return refusedURLs_; }
  int calendarApplicationOpenCount() const { return calendarApplicationOpenCount_; }

 private:
  std::vector<std::string> openedURLs_;
  std::vector<std::string> refusedURLs_;
  int calendarApplicationOpenCount_ = 0;
};

}  // namespace CorlaMeetings
