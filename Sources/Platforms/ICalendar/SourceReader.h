#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ICalendar/FileWatcher.h"
#include "ICalendar/ParsedCalendar.h"

namespace CorlaMeetings {

// A file's identity and version as stat reports them: when it differs, so may the contents.
struct FileSignature {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  long long modifiedNanoseconds = 0;
  long long changedNanoseconds = 0;
  bool operator==(const FileSignature&) const = default;
};

struct FileRead {
  std::optional<std::string> bytes;  // the whole file; nothing when it was not read
  std::string error;                 // why not, for messages
  FileSignature signature;           // of what was read
};

// Reads a regular file whole. Anything else (a FIFO, a device, a socket) is refused without
// blocking and without reading, and so is a file of more than `maxBytes`.
FileRead readRegularFile(const std::string& path, std::size_t maxBytes);
// The same, for `name` inside the open directory `directory`.
FileRead readRegularFileAt(int directory, const std::string& name, std::size_t maxBytes);

// The same again, handing the contents to `sink` piece by piece as they are read instead of
// keeping them: a 50 MB calendar is parsed without ever being in memory whole. What the
// sink got is the file only when the result says `complete`.
struct FileStream {
  bool complete = false;
  std::string error;  // why not, for messages
  FileSignature signature;
};
using FileSink = std::function<void(std::string_view piece)>;
FileStream streamRegularFileAt(int directory, const std::string& name, std::size_t maxBytes, const FileSink& sink);

// "64 MiB", or a count of bytes when that is not a whole number of MiB.
std::string sizeText(std::size_t bytes);

// Appends a parser's problem lines, each after `prefix`, at most `limit` of them and then a
// count of the rest: a broken file may have thousands.
void appendParseProblems(const std::vector<std::string>& parseProblems, std::string_view prefix, std::size_t limit,
                         std::vector<std::string>& out);

struct SourceReadLimits {
  std::size_t maxFileBytes = std::size_t{64} << 20;
  std::size_t maxFolderFiles = 50'000;  // calendar files of one folder source, subfolders included
  std::size_t maxSubfolders = 1'000;
  std::size_t maxProblemLinesPerFile = 10;
};

// Reads one path source (an .ics file, or a vdir folder: one event per .ics file, or a
// folder of such folders, one level deep) again on each call, parsing only the files that
// changed since the previous call. Whether the path is a file or a folder is decided on
// each read.
//
// Last good content: a file that cannot be read or now holds no calendar (half saved,
// truncated, garbage) keeps the calendar it held before; so does a source that vanished.
// A file removed from a folder takes its events with it, as that is how a vdir deletes.
//
// Bounded: only regular files are opened, symlinked subfolders are not followed, nothing
// deeper than one subfolder is looked at, and the limits above hold.
//
// One thread at a time (a worker: reads and parses can take long). A first read of a large
// folder shares the parsing of its files among the processor's cores.
class SourceReader {
 public:
  struct Result {
    bool changed = false;               // calendar() differs from what it was before
    std::vector<std::string> problems;  // trouble not reported before, one line each
  };

  SourceReader(std::string path, SourceReadLimits limits);

  // `abandon`, when given, is asked as a folder is read: once it says yes, the read stops
  // and changes nothing (a store going away need not wait for twenty thousand files).
  Result read(const std::function<bool()>& abandon = {});

  // The last good content; null until a read found a calendar. An existing folder is a
  // calendar even while it holds no events.
  const std::shared_ptr<const ParsedCalendar>& calendar() const { return calendar_; }

  // Where a change to this source would show: the parent (for the path's own entry), the
  // folder and its subfolders, and a symlinked file's target directory.
  std::vector<WatchedDirectory> watchedDirectories() const;

 private:
  enum class Shape { unknown, file, folder };

  struct FileState {
    std::optional<FileSignature> parsedSignature;  // set once this version was looked at
    std::shared_ptr<const ParsedCalendar> calendar;
    std::string reportedProblem;
  };
  using Files = std::map<std::string, FileState>;  // by path inside the folder

  void readFile(const FileSignature& current, Result& result);
  void readFolder(Result& result, const std::function<bool()>& abandon);
  // A file of the folder to be read again, found by the scan.
  struct PendingRead {
    int directory;  // open until the read is done
    std::string name;
    std::string key;
  };

  // Both false when abandoned.
  bool scanFolder(int directory, const std::string& prefix, bool topLevel, Files& files, bool& tooManyFiles,
                  std::vector<PendingRead>& pending, std::vector<int>& openSubfolders,
                  const std::function<bool()>& abandon, Result& result);
  // Reads and parses the pending files, several at once on a first read of a large folder.
  bool readPending(const std::vector<PendingRead>& pending, Files& files, const std::function<bool()>& abandon,
                   Result& result) const;
  // Any thread: touches nothing but its arguments.
  FileState readCalendarFile(const PendingRead& read, FileState state, std::vector<std::string>& problems) const;
  void switchShape(Shape shape);

  std::string path_;
  SourceReadLimits limits_;
  Shape shape_ = Shape::unknown;
  FileState file_;    // the source as a single file
  Files files_;       // the source as a folder
  std::vector<std::string> subfolders_;
  std::string reportedProblem_;  // of the source as a whole
  std::shared_ptr<const ParsedCalendar> calendar_;
};

}  // namespace CorlaMeetings
