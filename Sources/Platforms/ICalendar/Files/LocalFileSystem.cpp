#include "ICalendar/Files/LocalFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "ICalendar/Files/FileWatcher.h"
#include "ICalendar/Files/SystemErrorText.h"
#include "ICalendar/Files/UniqueFd.h"
#include "ICalendar/Threads/ParallelWork.h"

namespace CorlaMeetings {

namespace {

EntryKind kindOf(mode_t mode) {
  if (S_ISREG(mode)) return EntryKind::file;
  if (S_ISDIR(mode)) return EntryKind::folder;
  if (S_ISLNK(mode)) return EntryKind::symlink;
  return EntryKind::other;
}

EntryStatus statusAt(int directory, const std::string& name, int flags) {
  struct stat status;
  if (::fstatat(directory, name.c_str(), &status, flags) != 0) return {EntryKind::missing, {}, systemErrorText(errno)};
  return {kindOf(status.st_mode), signatureOf(status), {}};
}

// Reads bytes [begin, end) of `fd` onto `into`.
bool readRange(int fd, std::uint64_t begin, std::uint64_t end, std::string& into) {
  into.resize(end - begin);
  for (std::uint64_t done = 0; done < end - begin;) {
    const ssize_t count = ::pread(fd, into.data() + done, end - begin - done, static_cast<off_t>(begin + done));
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    done += static_cast<std::uint64_t>(count);
  }
  return true;
}

std::optional<std::vector<std::string>> readRangesAt(int directory, const std::string& name,
                                                     const FileSignature& expected,
                                                     const std::vector<ByteRange>& ranges) {
  UniqueFd fd(::openat(directory, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat status;
  if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) || signatureOf(status) != expected) {
    return std::nullopt;
  }
  std::vector<std::string> pieces(ranges.size());
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    if (ranges[i].begin > ranges[i].end || ranges[i].end > static_cast<std::uint64_t>(status.st_size)) {
      return std::nullopt;
    }
    if (!readRange(fd.get(), ranges[i].begin, ranges[i].end, pieces[i])) return std::nullopt;
  }
  return pieces;
}

class LocalFolder : public Folder {
 public:
  explicit LocalFolder(int fd) : fd_(fd) {}

  std::vector<std::string> names() override {
    std::vector<std::string> names;
    int handle = ::dup(fd_.get());
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
    std::sort(names.begin(), names.end());
    return names;
  }

  std::optional<std::vector<EntryStatus>> status(const std::vector<std::string>& names,
                                                 const Abandon& abandon) override {
    std::vector<EntryStatus> status(names.size());
    std::atomic<bool> abandoned{false};
    forEachInParallel(names.size(), 2048, [&](std::size_t i) {
      if (abandoned.load(std::memory_order_relaxed) || (abandon && abandon())) {
        abandoned = true;
        return;
      }
      status[i] = statusAt(fd_.get(), names[i], AT_SYMLINK_NOFOLLOW);
    });
    if (abandoned) return std::nullopt;
    return status;
  }

  EntryStatus targetStatus(const std::string& name) override { return statusAt(fd_.get(), name, 0); }

  std::unique_ptr<Folder> openSubfolder(const std::string& name) override {
    const int subfolder = ::openat(fd_.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (subfolder < 0) return nullptr;
    return std::make_unique<LocalFolder>(subfolder);
  }

  FileStream stream(const std::string& name, std::size_t maxBytes, const FileSink& sink,
                    const Abandon& abandon) override {
    return streamRegularFileAt(fd_.get(), name, maxBytes, sink, abandon);
  }

  std::optional<std::vector<std::string>> readRanges(const std::string& name, const FileSignature& expected,
                                                     const std::vector<ByteRange>& ranges) override {
    return readRangesAt(fd_.get(), name, expected, ranges);
  }

 private:
  UniqueFd fd_;
};

}  // namespace

EntryStatus LocalFileSystem::status(const std::string& path) { return statusAt(AT_FDCWD, path, 0); }

std::unique_ptr<Folder> LocalFileSystem::openFolder(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    error = systemErrorText(errno);
    return nullptr;
  }
  return std::make_unique<LocalFolder>(fd);
}

std::string LocalFileSystem::resolvedPath(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (!resolved) return "";
  std::string result(resolved);
  std::free(resolved);
  return result;
}

FileStream LocalFileSystem::stream(const std::string& path, std::size_t maxBytes, const FileSink& sink,
                                   const Abandon& abandon) {
  return streamRegularFileAt(AT_FDCWD, path, maxBytes, sink, abandon);
}

std::optional<std::vector<std::string>> LocalFileSystem::readRanges(const std::string& path,
                                                                    const FileSignature& expected,
                                                                    const std::vector<ByteRange>& ranges) {
  return readRangesAt(AT_FDCWD, path, expected, ranges);
}

std::unique_ptr<DirectoryWatcher> LocalFileSystem::watcher(std::function<void()> onChange) {
  return std::make_unique<FileWatcher>(std::move(onChange));
}

std::shared_ptr<FileSystem> localFileSystem() {
  static const std::shared_ptr<FileSystem> disk = std::make_shared<LocalFileSystem>();
  return disk;
}

}  // namespace CorlaMeetings
