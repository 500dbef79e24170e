#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ICalendar/Files/DirectoryWatcher.h"

namespace CorlaMeetings {

// Notices entries of directories being written, created, removed, renamed or touched
// (inotify), on a thread of its own. Directories rather than files are watched: that
// catches editors that save by renaming a new file into place, and files not there yet.
// A directory that is itself removed or renamed counts as a change. While a directory is
// missing, its nearest existing ancestor stands in for it, watched for the next folder on
// the way down, so that a calendar in folders made later (a disk mounted, a first sync)
// is noticed as soon as it is there.
//
// Writes are seen when the writer closes the file, so a half-written file is rarely read.
class FileWatcher : public DirectoryWatcher {
 public:
  // `onChange` runs on the watcher's thread: once per batch of relevant events, and once
  // after directories newly came under watch (what changed in them before is unseen).
  explicit FileWatcher(std::function<void()> onChange);
  // Stops the thread; `onChange` is not running once this returns.
  ~FileWatcher() override;
  FileWatcher(const FileWatcher&) = delete;
  FileWatcher& operator=(const FileWatcher&) = delete;

  // Empty when watching works; else why the system refused it (the watcher then does
  // nothing at all).
  const std::string& error() const override { return error_; }

  // Replaces what is watched. Any thread. A directory that exists but cannot be watched
  // (no permission) is tried again on the next call.
  void setDirectories(std::vector<WatchedDirectory> directories) override;

 private:
  struct State;
  void run();

  std::string error_;
  std::shared_ptr<State> state_;
};

}  // namespace CorlaMeetings
