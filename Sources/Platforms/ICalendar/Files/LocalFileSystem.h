#pragma once

#include "ICalendar/Files/FileSystem.h"

namespace CorlaMeetings {

// The disk, through open file descriptors: a folder is read by the descriptor it was
// opened as (openat), so that a folder renamed meanwhile is still the one listed, and
// symlinked subfolders are refused by O_NOFOLLOW. Files are opened without blocking and
// read only when fstat says they are regular. Watched with inotify (FileWatcher).
class LocalFileSystem : public FileSystem {
 public:
  EntryStatus status(const std::string& path) override;
  std::unique_ptr<Folder> openFolder(const std::string& path, std::string& error) override;
  std::string resolvedPath(const std::string& path) override;
  FileStream stream(const std::string& path, std::size_t maxBytes, const FileSink& sink,
                    const Abandon& abandon = {}) override;
  std::optional<std::vector<std::string>> readRanges(const std::string& path, const FileSignature& expected,
                                                     const std::vector<ByteRange>& ranges) override;
  std::unique_ptr<DirectoryWatcher> watcher(std::function<void()> onChange) override;
};

}  // namespace CorlaMeetings
