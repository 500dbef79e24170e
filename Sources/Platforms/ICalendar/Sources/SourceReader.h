#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "ICalendar/Files/DirectoryWatcher.h"
#include "ICalendar/Files/FileSignature.h"
#include "ICalendar/Files/FileSystem.h"
#include "ICalendar/Files/RegularFile.h"
#include "ICalendar/Parsing/CalendarParser.h"
#include "ICalendar/Query/ParsedCalendar.h"
#include "ICalendar/StartupIndex/StartupIndex.h"

namespace CorlaMeetings {

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
// Start-up index: with one, a first read given a window reads only what can reach it (see
// read()), and each whole parse notes where the file's occurrences lie, for saveIndex().
//
// One thread at a time (a worker: reads and parses can take long). A first read of a large
// folder shares the parsing of its files among the processor's cores.
class SourceReader {
 public:
  struct Result {
    bool changed = false;  // calendar() differs from what it was before
    // The change only completes what a start-up read left out: no answer inside its
    // window differs.
    bool sameAnswers = false;
    std::vector<std::string> problems;  // trouble not reported before, one line each
  };

  // Reads `path` on `fileSystem`; the start-up index, when given one, is kept on the disk.
  SourceReader(std::string path, SourceReadLimits limits, StartupIndexOptions index = {},
               std::shared_ptr<FileSystem> fileSystem = localFileSystem());

  // `abandon`, when given, is asked as files are read: once it says yes, the read stops
  // and changes nothing (a store going away need not wait for twenty thousand files).
  //
  // `startupWindow`, on the first read with a start-up index: files the index says cannot
  // reach the window are not parsed, and of a large file only the events that can reach
  // it are, so that calendar() answers a query inside the window as a whole read would.
  // It is then provisional() until a read without a window completes it.
  Result read(const std::function<bool()>& abandon = {}, const std::optional<TimeReach>& startupWindow = {});
  bool provisional() const { return provisional_; }

  // Saves the start-up index when what it would hold changed. Returns what went wrong;
  // empty when saved or when there was nothing to save.
  std::string saveIndex();

  // The last good content; null until a read found a calendar. An existing folder is a
  // calendar even while it holds no events.
  const std::shared_ptr<const ParsedCalendar>& calendar() const { return calendar_; }

  // Where a change to this source would show: the parent (for the path's own entry), the
  // folder and its subfolders, and a symlinked file's target directory.
  std::vector<WatchedDirectory> watchedDirectories() const;

 private:
  enum class Shape { unknown, file, folder };

  struct FileState {
    std::optional<FileSignature> parsedSignature;  // set once this version was parsed whole
    std::shared_ptr<const ParsedCalendar> calendar;
    std::string reportedProblem;
    std::optional<IndexedFile> indexed;  // what the index holds for this version
    bool provisional = false;            // `calendar` holds only what reaches a start-up window
  };
  using Files = std::map<std::string, FileState>;  // by path inside the folder

  // A file to be read again, found by the scan.
  struct PendingRead {
    Folder* directory;  // open until the read is done
    std::string name;
    const std::string* key;  // and its state, in the files being read
    FileState* state;
    off_t size = 0;
    const IndexedFile* ranges = nullptr;  // an index entry by which to read it in part
  };
  struct WholeParse {
    FileStream read;
    ParseResult parsed;
    std::optional<IndexedFile> indexed;
  };
  // The start-up read's use of the index for a file at `current`: its entry noted in
  // `state`, and true when it stands in for reading the file (`state` is then done);
  // `ranges` is set when the file is to be read in part.
  bool fromIndex(const std::string& key, const FileSignature& current, FileState& state, const IndexedFile*& ranges);
  void awaitIndex();

  void readFile(const FileSignature& current, Result& result, const std::function<bool()>& abandon);
  void readFolder(Result& result, const std::function<bool()>& abandon);
  // Both false when abandoned.
  bool scanFolder(Folder& directory, const std::string& prefix, bool topLevel, Files& files, bool& tooManyFiles,
                  std::vector<PendingRead>& pending, std::vector<std::unique_ptr<Folder>>& openSubfolders,
                  const std::function<bool()>& abandon, Result& result);
  // Reads and parses the pending files, several at once on a first read of a large folder.
  // `completed` gets the provisional files now read whole, as they were indexed.
  bool readPending(const std::vector<PendingRead>& pending, const std::function<bool()>& abandon, Result& result,
                   std::set<std::string>& completed);
  // Any thread: these touch nothing but their arguments.
  FileState readCalendarFile(const PendingRead& read, FileState state, std::vector<std::string>& problems) const;
  // Of file `name` in `directory`, or of the source's own path when that is null.
  WholeParse parseWhole(Folder* directory, const std::string& name, off_t size,
                        const std::function<bool()>& abandon) const;
  // Only the events that reach the start-up window, by the index entry `ranges`; null
  // when the file is no longer the version indexed.
  std::shared_ptr<const ParsedCalendar> parseInReach(Folder* directory, const std::string& name,
                                                     const IndexedFile& ranges) const;
  void switchShape(Shape shape);
  void noteIndexChanges(const FileState& before, const FileState& after);
  std::size_t indexedCount() const;

  std::shared_ptr<FileSystem> fileSystem_;
  std::string path_;
  SourceReadLimits limits_;
  Shape shape_ = Shape::unknown;
  FileState file_;  // the source as a single file
  Files files_;     // the source as a folder
  std::vector<std::string> subfolders_;
  std::string reportedProblem_;  // of the source as a whole
  std::shared_ptr<const ParsedCalendar> calendar_;

  StartupIndex index_;
  std::optional<TimeReach> startupWindow_;  // during a start-up read
  std::thread indexLoading_;
  bool startupDone_ = false;
  bool provisional_ = false;
  bool indexChanged_ = false;     // since the index file was loaded or saved
  std::size_t savedEntries_ = 0;  // in the index file as loaded or saved
};

}  // namespace CorlaMeetings
