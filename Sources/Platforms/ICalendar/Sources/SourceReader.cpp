#include "ICalendar/Sources/SourceReader.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <utility>

#include "ICalendar/Files/FileSignature.h"
#include "ICalendar/Parsing/CalendarParser.h"
#include "ICalendar/Query/MergedCalendar.h"
#include "ICalendar/Text/ProblemLines.h"
#include "ICalendar/Threads/ParallelWork.h"
#include "meetings/PlainText.h"

namespace CorlaMeetings {

namespace {

bool isCalendarFileName(std::string_view name) {
  if (name.size() < 4) return false;
  return asciiLowercased(name.substr(name.size() - 4)) == ".ics";
}

std::pair<std::string, std::string> parentAndName(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// Reports `problem` unless it is the one reported last time from the same place.
void note(std::string& reported, std::string problem, std::vector<std::string>& out) {
  if (problem == reported) return;
  reported = problem;
  out.push_back(std::move(problem));
}

}  // namespace

SourceReader::SourceReader(std::string path, SourceReadLimits limits, StartupIndexOptions index,
                           std::shared_ptr<FileSystem> fileSystem)
    : fileSystem_(std::move(fileSystem)), path_(std::move(path)), limits_(limits), index_(path_, std::move(index)) {}

SourceReader::Result SourceReader::read(const std::function<bool()>& abandon,
                                        const std::optional<TimeReach>& startupWindow) {
  Result result;
  const EntryStatus status = fileSystem_->status(path_);
  if (status.kind == EntryKind::missing) {
    note(reportedProblem_, status.error, result.problems);
    return result;
  }
  const bool isFolder = status.kind == EntryKind::folder, isFile = status.kind == EntryKind::file;
  if (!startupDone_ && startupWindow && index_.enabled()) {
    startupWindow_ = startupWindow;
    if (isFolder) {
      indexLoading_ = std::thread([this] { index_.load(); });  // while the folder is listed
    } else {
      index_.load();
      savedEntries_ = index_.loadedCount();
    }
  }
  if (isFolder) {
    readFolder(result, abandon);
  } else if (isFile) {
    readFile(status.signature, result, abandon);
  } else {
    note(reportedProblem_, "not a regular file or a folder", result.problems);
  }
  awaitIndex();
  if (!isFolder && !isFile) return result;
  startupDone_ = true;
  startupWindow_.reset();
  index_.dropLoaded();
  provisional_ = file_.provisional ||
                 std::any_of(files_.begin(), files_.end(), [](const auto& file) { return file.second.provisional; });
  return result;
}

std::string SourceReader::saveIndex() {
  if (!indexChanged_ && indexedCount() == savedEntries_) return "";
  IndexedFiles entries;
  if (file_.indexed) entries.emplace_back("", &*file_.indexed);
  for (const auto& [key, state] : files_) {
    if (state.indexed) entries.emplace_back(key, &*state.indexed);
  }
  indexChanged_ = false;
  savedEntries_ = entries.size();  // a failed save is not tried again until something changes
  return index_.save(entries);
}

std::size_t SourceReader::indexedCount() const {
  return (file_.indexed ? 1 : 0) + static_cast<std::size_t>(std::count_if(
                                       files_.begin(), files_.end(), [](const auto& f) { return f.second.indexed; }));
}

void SourceReader::noteIndexChanges(const FileState& before, const FileState& after) {
  if (before.indexed != after.indexed) indexChanged_ = true;
}

void SourceReader::awaitIndex() {
  if (!indexLoading_.joinable()) return;
  indexLoading_.join();
  savedEntries_ = index_.loadedCount();
}

bool SourceReader::fromIndex(const std::string& key, const FileSignature& current, FileState& state,
                             const IndexedFile*& ranges) {
  if (!startupWindow_) return false;
  awaitIndex();
  const IndexedFile* entry = index_.loadedEntry(key, current);
  if (!entry) return false;
  state.indexed = *entry;
  if (!index_.settledNow(current)) return false;
  if (!entry->reach.meets(*startupWindow_)) {
    state.provisional = true;  // and no calendar: nothing of it reaches the window
    return true;
  }
  if (!entry->ranges.empty()) ranges = entry;
  return false;
}

void SourceReader::switchShape(Shape shape) {
  if (shape_ == shape) return;
  shape_ = shape;
  file_ = FileState();
  files_.clear();
  subfolders_.clear();
}

SourceReader::WholeParse SourceReader::parseWhole(Folder* directory, const std::string& name, off_t size,
                                                  const std::function<bool()>& abandon) const {
  const auto readStart = std::chrono::system_clock::now();
  LayoutRecorder layout(index_.wantsRanges(static_cast<std::uint64_t>(size)));
  CalendarParser parser(index_.enabled() ? &layout : nullptr);
  WholeParse whole;
  const FileSink sink = [&parser](std::string_view piece) { parser.feed(piece); };
  whole.read = directory ? directory->stream(name, limits_.maxFileBytes, sink, abandon)
                         : fileSystem_->stream(path_, limits_.maxFileBytes, sink, abandon);
  if (!whole.read.complete) return whole;
  whole.parsed = parser.finish();
  whole.indexed = index_.entryOfParse(whole.read.signature, whole.parsed, layout.take(), readStart);
  return whole;
}

std::shared_ptr<const ParsedCalendar> SourceReader::parseInReach(Folder* directory, const std::string& name,
                                                                 const IndexedFile& ranges) const {
  const std::vector<ByteRange> inReach = rangesMeeting(ranges, *startupWindow_);
  const auto pieces = directory ? directory->readRanges(name, ranges.signature, inReach)
                                : fileSystem_->readRanges(path_, ranges.signature, inReach);
  return pieces ? parseRanges(*pieces).calendar : nullptr;
}

void SourceReader::readFile(const FileSignature& current, Result& result, const std::function<bool()>& abandon) {
  switchShape(Shape::file);
  if (file_.parsedSignature == current) return;  // unchanged since it was parsed
  const IndexedFile* ranges = nullptr;
  FileState state;
  const bool skip = fromIndex("", current, state, ranges);
  if (state.indexed) file_.indexed = state.indexed;  // as the index file holds it
  const FileState before = file_;
  if (skip) {
    state.calendar = mergeCalendars({});
  } else if (ranges) {
    state.calendar = parseInReach(nullptr, path_, *ranges);
    state.provisional = state.calendar != nullptr;
  }
  if (state.calendar) {
    file_ = std::move(state);
    reportedProblem_.clear();
    calendar_ = file_.calendar;
    result.changed = true;
    return;
  }

  WholeParse whole = parseWhole(nullptr, path_, current.size, abandon);
  if (!whole.read.complete) {
    if (!abandon || !abandon()) note(reportedProblem_, whole.read.error, result.problems);
    return;
  }
  const bool completes = file_.provisional && file_.indexed && file_.indexed->signature == whole.read.signature;
  file_.parsedSignature = whole.read.signature;
  file_.indexed = std::move(whole.indexed);
  file_.provisional = false;
  noteIndexChanges(before, file_);
  appendParseProblems(whole.parsed.problems, "", limits_.maxProblemLinesPerFile, result.problems);
  if (!whole.parsed.calendar) {
    note(reportedProblem_, calendar_ ? "holds no calendar now; keeping what it held before" : "holds no calendar",
         result.problems);
    return;
  }
  reportedProblem_.clear();
  calendar_ = std::move(whole.parsed.calendar);
  file_.calendar = calendar_;
  result.changed = true;
  result.sameAnswers = completes;
}

void SourceReader::readFolder(Result& result, const std::function<bool()>& abandon) {
  bool wasFolder = shape_ == Shape::folder;
  switchShape(Shape::folder);
  std::string error;
  const std::unique_ptr<Folder> directory = fileSystem_->openFolder(path_, error);
  if (!directory) {
    note(reportedProblem_, error, result.problems);
    return;
  }
  Files files;
  subfolders_.clear();
  bool tooManyFiles = false;
  std::vector<PendingRead> pending;
  std::vector<std::unique_ptr<Folder>> openSubfolders;  // open until the reads they hold are done
  std::set<std::string> completed;
  if (!scanFolder(*directory, "", true, files, tooManyFiles, pending, openSubfolders, abandon, result) ||
      !readPending(pending, abandon, result, completed)) {
    return;  // abandoned: what was read before stays
  }
  if (tooManyFiles) {
    note(reportedProblem_,
         "more than " + std::to_string(limits_.maxFolderFiles) + " calendar files; the rest are skipped",
         result.problems);
  } else {
    reportedProblem_.clear();
  }

  auto calendarsOf = [](const Files& of, const std::set<std::string>& except) {
    std::vector<std::shared_ptr<const ParsedCalendar>> calendars;
    for (const auto& [key, state] : of) {
      if (state.calendar && !except.contains(key)) calendars.push_back(state.calendar);
    }
    return calendars;
  };
  std::vector<std::shared_ptr<const ParsedCalendar>> calendars = calendarsOf(files, {});
  const bool changed = !wasFolder || !calendar_ || calendars != calendarsOf(files_, {});
  result.sameAnswers = changed && wasFolder && calendar_ && !completed.empty() &&
                       calendarsOf(files, completed) == calendarsOf(files_, completed);
  files_ = std::move(files);
  if (!changed) return;
  calendar_ = mergeCalendars(std::move(calendars));
  result.changed = true;
}

bool SourceReader::scanFolder(Folder& directory, const std::string& prefix, bool topLevel, Files& files,
                              bool& tooManyFiles, std::vector<PendingRead>& pending,
                              std::vector<std::unique_ptr<Folder>>& openSubfolders,
                              const std::function<bool()>& abandon, Result& result) {
  std::vector<std::string> names = directory.names();
  const std::optional<std::vector<EntryStatus>> statuses = directory.status(names, abandon);
  if (!statuses) return false;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (abandon && abandon()) return false;
    EntryKind kind = (*statuses)[i].kind;
    if (kind == EntryKind::missing) continue;  // gone meanwhile
    std::string& name = names[i];
    std::string key = prefix + name;
    if (kind == EntryKind::folder) {
      // One level of calendar folders; symlinked folders are not followed, so no cycles.
      if (!topLevel || subfolders_.size() >= limits_.maxSubfolders) continue;
      std::unique_ptr<Folder> subfolder = directory.openSubfolder(name);
      if (!subfolder) continue;
      openSubfolders.push_back(std::move(subfolder));
      subfolders_.push_back(name);
      if (!scanFolder(*openSubfolders.back(), key + "/", false, files, tooManyFiles, pending, openSubfolders, abandon,
                      result)) {
        return false;
      }
      continue;
    }
    if (!isCalendarFileName(name)) continue;  // vdir metadata ("color", "displayname") and the like
    if (files.size() >= limits_.maxFolderFiles) {
      tooManyFiles = true;
      return true;
    }
    const auto entry = files.try_emplace(files.end(), std::move(key));  // keys come in order, mostly
    const std::string& keyInFiles = entry->first;
    FileState& state = entry->second;
    if (auto old = files_.find(keyInFiles); old != files_.end()) state = old->second;
    FileSignature current = (*statuses)[i].signature;
    if (kind == EntryKind::symlink) {
      const EntryStatus target = directory.targetStatus(name);
      if (target.kind == EntryKind::missing) {
        note(state.reportedProblem, keyInFiles + ": " + target.error, result.problems);  // a loop or a dangling link
        continue;
      }
      kind = target.kind;
      current = target.signature;
    }
    if (kind != EntryKind::file) {
      note(state.reportedProblem, keyInFiles + ": not a regular file", result.problems);
      continue;
    }
    if (state.parsedSignature == current) continue;  // unchanged since it was parsed
    const IndexedFile* ranges = nullptr;
    if (fromIndex(keyInFiles, current, state, ranges)) continue;
    pending.push_back({&directory, std::move(name), &keyInFiles, &state, current.size, ranges});
  }
  return true;
}

bool SourceReader::readPending(const std::vector<PendingRead>& pending, const std::function<bool()>& abandon,
                               Result& result, std::set<std::string>& completed) {
  std::vector<FileState> states(pending.size());
  std::vector<std::vector<std::string>> problems(pending.size());
  std::atomic<bool> abandoned{false};
  forEachInParallel(pending.size(), 64, [&](std::size_t i) {
    if (abandoned || (abandon && abandon())) {
      abandoned = true;
      return;
    }
    states[i] = readCalendarFile(pending[i], *pending[i].state, problems[i]);
  });
  if (abandoned) return false;
  // Taken in the order of the scan, so that messages come in the same order every time.
  for (std::size_t i = 0; i < pending.size(); ++i) {
    FileState& state = *pending[i].state;
    if (state.provisional && state.indexed && states[i].parsedSignature == state.indexed->signature) {
      completed.insert(*pending[i].key);
    }
    noteIndexChanges(state, states[i]);
    state = std::move(states[i]);
    result.problems.insert(result.problems.end(), problems[i].begin(), problems[i].end());
  }
  return true;
}

SourceReader::FileState SourceReader::readCalendarFile(const PendingRead& pending, FileState state,
                                                       std::vector<std::string>& problems) const {
  if (pending.ranges) {
    if (auto calendar = parseInReach(pending.directory, pending.name, *pending.ranges)) {
      state.calendar = std::move(calendar);
      state.provisional = true;
      return state;
    }
  }
  WholeParse whole = parseWhole(pending.directory, pending.name, pending.size, {});
  if (!whole.read.complete) {
    note(state.reportedProblem, *pending.key + ": " + whole.read.error, problems);
    return state;
  }
  state.parsedSignature = whole.read.signature;
  state.indexed = std::move(whole.indexed);
  state.provisional = false;
  appendParseProblems(whole.parsed.problems, *pending.key + ": ", limits_.maxProblemLinesPerFile, problems);
  if (!whole.parsed.calendar) {
    note(state.reportedProblem, *pending.key + ": holds no calendar", problems);
    return state;
  }
  state.reportedProblem.clear();
  state.calendar = std::move(whole.parsed.calendar);
  return state;
}

std::vector<WatchedDirectory> SourceReader::watchedDirectories() const {
  auto [parent, name] = parentAndName(path_);
  std::vector<WatchedDirectory> directories{{parent, {name}}};
  if (shape_ == Shape::folder) {
    directories.push_back({path_, {}});
    for (const std::string& subfolder : subfolders_) directories.push_back({path_ + "/" + subfolder, {}});
    return directories;
  }
  // Editors replace the target of a symlinked file, not the link.
  if (const std::string target = fileSystem_->resolvedPath(path_); !target.empty()) {
    auto [targetParent, targetName] = parentAndName(target);
    WatchedDirectory watched{targetParent, {targetName}};
    if (watched != directories.front()) directories.push_back(std::move(watched));
  }
  return directories;
}

}  // namespace CorlaMeetings
