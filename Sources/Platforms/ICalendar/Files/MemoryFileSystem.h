#pragma once

#include <memory>
#include <string>

#include "ICalendar/Files/FileSystem.h"

namespace CorlaMeetings {

// Folders, files and symlinks kept in memory, for tests and demos: a calendar reader reads
// it as it reads the disk, and its changes reach the watchers it made at once, on the
// thread that made them, so that a store on a simulated loop sees an edit when the loop
// next runs, with no real time spent.
//
// Changes show in signatures as on a disk: a file written in place keeps its inode and gets
// a new size and modification time (a counter, a nanosecond a change); one replaced by a
// rename, as editors save, gets a new inode. A change to an entry tells the watchers of its
// directory that watch that name (or all of them), and those of directories it leads to
// (a folder made, removed or renamed on the way to a watched one).
//
// Any thread. Paths are absolute; a relative one is taken from the root. Misuse by the
// caller (writing where a file stands in for a folder) throws std::logic_error.
class MemoryFileSystem : public FileSystem {
 public:
  MemoryFileSystem();

  // Writes the file at `path` in place (through a symlink too), making it, and the folders
  // on the way, if need be.
  void write(const std::string& path, const std::string& bytes);
  // As editors save: a new file renamed over whatever is at `path`.
  void replace(const std::string& path, const std::string& bytes);
  void makeFolder(const std::string& path);  // and the folders on the way
  void makeSymlink(const std::string& path, const std::string& target);
  void remove(const std::string& path);  // a folder with everything in it
  void rename(const std::string& from, const std::string& to);

  EntryStatus status(const std::string& path) override;
  std::unique_ptr<Folder> openFolder(const std::string& path, std::string& error) override;
  std::string resolvedPath(const std::string& path) override;
  FileStream stream(const std::string& path, std::size_t maxBytes, const FileSink& sink,
                    const Abandon& abandon = {}) override;
  std::optional<std::vector<std::string>> readRanges(const std::string& path, const FileSignature& expected,
                                                     const std::vector<ByteRange>& ranges) override;
  std::unique_ptr<DirectoryWatcher> watcher(std::function<void()> onChange) override;

  // Inside; named here for the implementation's helpers.
  struct Node;
  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace CorlaMeetings
