#include "ICalendar/SourceReader.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>
#include <thread>
#include <utility>

namespace CorlaMeetings {

namespace {

class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

std::string errorText(int error) { return std::system_category().message(error); }

long long nanoseconds(const timespec& time) { return time.tv_sec * 1'000'000'000LL + time.tv_nsec; }

FileSignature signatureOf(const struct stat& status) {
  return {status.st_dev, status.st_ino, status.st_size, nanoseconds(status.st_mtim), nanoseconds(status.st_ctim)};
}

bool isCalendarFileName(std::string_view name) {
  if (name.size() < 4) return false;
  std::string suffix(name.substr(name.size() - 4));
  for (char& c : suffix) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return suffix == ".ics";
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

// Runs `work(i)` for each i below `count`. A folder read for the first time has thousands of
// files to parse, and parsing is most of the time a read takes: they are shared among up to
// four threads (this one included). A few changed files stay on this thread.
void forEachInParallel(std::size_t count, const std::function<void(std::size_t)>& work) {
  constexpr std::size_t kFilesWorthAThread = 64;
  const std::size_t threads =
      std::min<std::size_t>({std::max(1u, std::thread::hardware_concurrency()), 4, count / kFilesWorthAThread + 1});
  std::atomic<std::size_t> next{0};
  auto run = [&] {
    for (std::size_t i; (i = next.fetch_add(1)) < count;) work(i);
  };
  std::vector<std::thread> helpers;
  for (std::size_t t = 1; t < threads; ++t) helpers.emplace_back(run);
  run();
  for (auto& helper : helpers) helper.join();
}

std::vector<std::string> entryNames(int directory) {
  std::vector<std::string> names;
  int handle = ::dup(directory);
  if (handle < 0) return names;
  DIR* listing = ::fdopendir(handle);
  if (listing == nullptr) {
    ::close(handle);
    return names;
  }
  while (const dirent* entry = ::readdir(listing)) {
    if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);  // hidden: temporary files
  }
  ::closedir(listing);
  std::sort(names.begin(), names.end());  // the same order on every read
  return names;
}

}  // namespace

FileStream streamRegularFileAt(int directory, const std::string& name, std::size_t maxBytes, const FileSink& sink) {
  FileStream result;
  // Non-blocking: opening a FIFO would otherwise wait for a writer.
  UniqueFd fd(::openat(directory, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0) {
    result.error = errorText(errno);
    return result;
  }
  struct stat status;
  if (::fstat(fd.get(), &status) != 0) {
    result.error = errorText(errno);
    return result;
  }
  if (!S_ISREG(status.st_mode)) {
    result.error = "not a regular file";
    return result;
  }
  std::string tooLarge = "larger than " + sizeText(maxBytes);
  if (status.st_size < 0 || static_cast<unsigned long long>(status.st_size) > maxBytes) {
    result.error = tooLarge;
    return result;
  }
  result.signature = signatureOf(status);
  std::size_t total = 0;
  char buffer[1 << 16];
  for (;;) {
    // The file may grow while it is read: stop one byte past the limit.
    std::size_t wanted = std::min(sizeof buffer, maxBytes + 1 - total);
    ssize_t count = ::read(fd.get(), buffer, wanted);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      result.error = errorText(errno);
      return result;
    }
    if (count == 0) break;
    total += static_cast<std::size_t>(count);
    if (total > maxBytes) {
      result.error = tooLarge;
      return result;
    }
    sink(std::string_view(buffer, static_cast<std::size_t>(count)));
  }
  result.complete = true;
  return result;
}

FileRead readRegularFileAt(int directory, const std::string& name, std::size_t maxBytes) {
  std::string bytes;
  FileStream stream =
      streamRegularFileAt(directory, name, maxBytes, [&bytes](std::string_view piece) { bytes.append(piece); });
  FileRead result;
  result.error = std::move(stream.error);
  result.signature = stream.signature;
  if (stream.complete) result.bytes = std::move(bytes);
  return result;
}

FileRead readRegularFile(const std::string& path, std::size_t maxBytes) {
  return readRegularFileAt(AT_FDCWD, path, maxBytes);
}

std::string sizeText(std::size_t bytes) {
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  if (bytes >= kMiB && bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
  return std::to_string(bytes) + " bytes";
}

void appendParseProblems(const std::vector<std::string>& parseProblems, std::string_view prefix, std::size_t limit,
                         std::vector<std::string>& out) {
  std::size_t shown = std::min(limit, parseProblems.size());
  for (std::size_t i = 0; i < shown; ++i) out.push_back(std::string(prefix) + parseProblems[i]);
  if (shown < parseProblems.size()) {
    out.push_back(std::string(prefix) + "… and " + std::to_string(parseProblems.size() - shown) + " more problems");
  }
}

SourceReader::SourceReader(std::string path, SourceReadLimits limits) : path_(std::move(path)), limits_(limits) {}

SourceReader::Result SourceReader::read(const std::function<bool()>& abandon) {
  Result result;
  struct stat status;
  if (::stat(path_.c_str(), &status) != 0) {
    note(reportedProblem_, errorText(errno), result.problems);
    return result;
  }
  if (S_ISDIR(status.st_mode)) {
    readFolder(result, abandon);
  } else if (S_ISREG(status.st_mode)) {
    readFile(signatureOf(status), result);
  } else {
    note(reportedProblem_, "not a regular file or a folder", result.problems);
  }
  return result;
}

void SourceReader::switchShape(Shape shape) {
  if (shape_ == shape) return;
  shape_ = shape;
  file_ = FileState();
  files_.clear();
  subfolders_.clear();
}

void SourceReader::readFile(const FileSignature& current, Result& result) {
  switchShape(Shape::file);
  if (file_.parsedSignature == current) return;  // unchanged since it was parsed
  CalendarParser parser;
  FileStream read = streamRegularFileAt(AT_FDCWD, path_, limits_.maxFileBytes,
                                        [&parser](std::string_view piece) { parser.feed(piece); });
  if (!read.complete) {
    note(reportedProblem_, read.error, result.problems);
    return;
  }
  file_.parsedSignature = read.signature;
  ParseResult parsed = parser.finish();
  appendParseProblems(parsed.problems, "", limits_.maxProblemLinesPerFile, result.problems);
  if (!parsed.calendar) {
    note(reportedProblem_, calendar_ ? "holds no calendar now; keeping what it held before" : "holds no calendar",
         result.problems);
    return;
  }
  reportedProblem_.clear();
  calendar_ = std::move(parsed.calendar);
  result.changed = true;
}

void SourceReader::readFolder(Result& result, const std::function<bool()>& abandon) {
  bool wasFolder = shape_ == Shape::folder;
  switchShape(Shape::folder);
  UniqueFd directory(::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.get() < 0) {
    note(reportedProblem_, errorText(errno), result.problems);
    return;
  }
  Files files;
  subfolders_.clear();
  bool tooManyFiles = false;
  std::vector<PendingRead> pending;
  std::vector<int> openSubfolders;
  struct Closer {
    std::vector<int>& fds;
    ~Closer() {
      for (int fd : fds) ::close(fd);
    }
  } closeSubfolders{openSubfolders};
  if (!scanFolder(directory.get(), "", true, files, tooManyFiles, pending, openSubfolders, abandon, result) ||
      !readPending(pending, files, abandon, result)) {
    return;  // abandoned: what was read before stays
  }
  if (tooManyFiles) {
    note(reportedProblem_, "more than " + std::to_string(limits_.maxFolderFiles) + " calendar files; the rest are skipped",
         result.problems);
  } else {
    reportedProblem_.clear();
  }

  auto calendarsOf = [](const Files& of) {
    std::vector<std::shared_ptr<const ParsedCalendar>> calendars;
    for (const auto& [key, state] : of) {
      if (state.calendar) calendars.push_back(state.calendar);
    }
    return calendars;
  };
  std::vector<std::shared_ptr<const ParsedCalendar>> calendars = calendarsOf(files);
  bool changed = !wasFolder || !calendar_ || calendars != calendarsOf(files_);
  files_ = std::move(files);
  if (!changed) return;
  calendar_ = mergeCalendars(std::move(calendars));
  result.changed = true;
}

bool SourceReader::scanFolder(int directory, const std::string& prefix, bool topLevel, Files& files,
                              bool& tooManyFiles, std::vector<PendingRead>& pending, std::vector<int>& openSubfolders,
                              const std::function<bool()>& abandon, Result& result) {
  for (const std::string& name : entryNames(directory)) {
    if (abandon && abandon()) return false;
    std::string key = prefix + name;
    struct stat status;
    if (::fstatat(directory, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) continue;  // gone meanwhile
    if (S_ISDIR(status.st_mode)) {
      // One level of calendar folders; symlinked folders are not followed, so no cycles.
      if (!topLevel || subfolders_.size() >= limits_.maxSubfolders) continue;
      const int subfolder = ::openat(directory, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (subfolder < 0) continue;
      openSubfolders.push_back(subfolder);
      subfolders_.push_back(name);
      if (!scanFolder(subfolder, key + "/", false, files, tooManyFiles, pending, openSubfolders, abandon, result)) {
        return false;
      }
      continue;
    }
    if (!isCalendarFileName(name)) continue;  // vdir metadata ("color", "displayname") and the like
    if (files.size() >= limits_.maxFolderFiles) {
      tooManyFiles = true;
      return true;
    }
    FileState& state = files[key];
    if (auto old = files_.find(key); old != files_.end()) state = old->second;
    if (S_ISLNK(status.st_mode) && ::fstatat(directory, name.c_str(), &status, 0) != 0) {
      note(state.reportedProblem, key + ": " + errorText(errno), result.problems);  // a loop or a dangling link
      continue;
    }
    if (!S_ISREG(status.st_mode)) {
      note(state.reportedProblem, key + ": not a regular file", result.problems);
      continue;
    }
    if (state.parsedSignature == signatureOf(status)) continue;  // unchanged since it was parsed
    pending.push_back({directory, name, key});
  }
  return true;
}

bool SourceReader::readPending(const std::vector<PendingRead>& pending, Files& files,
                               const std::function<bool()>& abandon, Result& result) const {
  std::vector<FileState> states(pending.size());
  std::vector<std::vector<std::string>> problems(pending.size());
  std::atomic<bool> abandoned{false};
  forEachInParallel(pending.size(), [&](std::size_t i) {
    if (abandoned || (abandon && abandon())) {
      abandoned = true;
      return;
    }
    states[i] = readCalendarFile(pending[i], files.at(pending[i].key), problems[i]);
  });
  if (abandoned) return false;
  // Taken in the order of the scan, so that messages come in the same order every time.
  for (std::size_t i = 0; i < pending.size(); ++i) {
    files[pending[i].key] = std::move(states[i]);
    result.problems.insert(result.problems.end(), problems[i].begin(), problems[i].end());
  }
  return true;
}

SourceReader::FileState SourceReader::readCalendarFile(const PendingRead& pending, FileState state,
                                                       std::vector<std::string>& problems) const {
  CalendarParser parser;
  FileStream read = streamRegularFileAt(pending.directory, pending.name, limits_.maxFileBytes,
                                        [&parser](std::string_view piece) { parser.feed(piece); });
  if (!read.complete) {
    note(state.reportedProblem, pending.key + ": " + read.error, problems);
    return state;
  }
  state.parsedSignature = read.signature;
  ParseResult parsed = parser.finish();
  appendParseProblems(parsed.problems, pending.key + ": ", limits_.maxProblemLinesPerFile, problems);
  if (!parsed.calendar) {
    note(state.reportedProblem, pending.key + ": holds no calendar", problems);
    return state;
  }
  state.reportedProblem.clear();
  state.calendar = std::move(parsed.calendar);
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
  if (char* target = ::realpath(path_.c_str(), nullptr)) {
    auto [targetParent, targetName] = parentAndName(target);
    std::free(target);
    WatchedDirectory watched{targetParent, {targetName}};
    if (watched != directories.front()) directories.push_back(std::move(watched));
  }
  return directories;
}

}  // namespace CorlaMeetings
