#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ICalendar/Files/DirectoryWatcher.h"
#include "ICalendar/Files/FileSignature.h"
#include "ICalendar/Files/RegularFile.h"

namespace CorlaMeetings {

// What a status says an entry is.
enum class EntryKind { missing, file, folder, symlink, other };

struct EntryStatus {
  EntryKind kind = EntryKind::missing;
  FileSignature signature;
  std::string error;  // why it is missing or cannot be followed, for messages
};

struct ByteRange {
  std::uint64_t begin = 0, end = 0;  // [begin, end)
};

using Abandon = std::function<bool()>;  // asked as work goes on: once it says yes, stop

// An open folder: it stays the same folder while it is renamed or replaced, as an open
// directory does. Names are of its own entries, never paths. Any thread.
class Folder {
 public:
  virtual ~Folder() = default;

  // The names of its entries but hidden ones (temporary files), sorted: the same order on
  // every read.
  virtual std::vector<std::string> names() = 0;
  // The status of each of `names`, not following symlinks (missing: gone meanwhile).
  // Nothing once `abandon` says yes: twenty thousand files take a while, and a program
  // exiting waits for this.
  virtual std::optional<std::vector<EntryStatus>> status(const std::vector<std::string>& names,
                                                         const Abandon& abandon = {}) = 0;
  // The status of what the symlink `name` leads to; missing, with the error, when it leads
  // nowhere (dangling, or a loop).
  virtual EntryStatus targetStatus(const std::string& name) = 0;
  // The subfolder `name`, never through a symlink (no cycles); null when it cannot be opened.
  virtual std::unique_ptr<Folder> openSubfolder(const std::string& name) = 0;

  // Streams the file `name` (through a symlink too): see FileSystem::stream.
  virtual FileStream stream(const std::string& name, std::size_t maxBytes, const FileSink& sink,
                            const Abandon& abandon = {}) = 0;
  // See FileSystem::readRanges.
  virtual std::optional<std::vector<std::string>> readRanges(const std::string& name, const FileSignature& expected,
                                                             const std::vector<ByteRange>& ranges) = 0;
};

// The file system as a calendar reader sees it: it only ever reads. LocalFileSystem is the
// disk; MemoryFileSystem keeps folders in memory for tests, with the same answers.
//
// Safe to read from anywhere: only regular files are ever read, and nothing blocks on a
// FIFO or a device. Paths are absolute or from the working directory; symlinks are
// followed unless said otherwise.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual EntryStatus status(const std::string& path) = 0;
  // Null, with why in `error`, when `path` is not a folder that can be opened.
  virtual std::unique_ptr<Folder> openFolder(const std::string& path, std::string& error) = 0;
  // The path with every symlink on the way resolved; empty when it cannot be.
  virtual std::string resolvedPath(const std::string& path) = 0;

  // Hands the regular file at `path` to `sink` piece by piece, refusing anything else and
  // any file larger than `maxBytes` (which it stops reading one byte past, should the file
  // grow meanwhile). What the sink got is the file only when the result says `complete`;
  // the signature is that of the version read.
  virtual FileStream stream(const std::string& path, std::size_t maxBytes, const FileSink& sink,
                            const Abandon& abandon = {}) = 0;
  // The bytes of each of `ranges` of the regular file at `path`, provided it is still the
  // version `expected`; nothing otherwise, or when a range lies beyond its end.
  virtual std::optional<std::vector<std::string>> readRanges(const std::string& path, const FileSignature& expected,
                                                             const std::vector<ByteRange>& ranges) = 0;

  // What tells of changes to entries of watched directories, calling `onChange`.
  virtual std::unique_ptr<DirectoryWatcher> watcher(std::function<void()> onChange) = 0;
};

// The disk, shared: it holds no state.
std::shared_ptr<FileSystem> localFileSystem();

}  // namespace CorlaMeetings
