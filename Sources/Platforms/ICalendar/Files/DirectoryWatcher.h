#pragma once

#include <string>
#include <vector>

namespace CorlaMeetings {

// A directory to watch, and which of its entries matter.
struct WatchedDirectory {
  std::string path;
  std::vector<std::string> names;  // entries that matter; empty: all of them
  bool operator==(const WatchedDirectory&) const = default;
};

// Tells its owner, through a callback given when it is made, that entries of the watched
// directories changed. FileWatcher does it with inotify; a MemoryFileSystem's watcher tells
// of the changes made to it.
class DirectoryWatcher {
 public:
  virtual ~DirectoryWatcher() = default;

  // Empty when watching works; else why the system refused it (nothing is then noticed).
  virtual const std::string& error() const = 0;

  // Replaces what is watched. Any thread.
  virtual void setDirectories(std::vector<WatchedDirectory> directories) = 0;
};

}  // namespace CorlaMeetings
