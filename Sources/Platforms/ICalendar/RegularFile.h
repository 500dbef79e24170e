#pragma once

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace CorlaMeetings {

// An open file descriptor, closed with it.
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

// A file's identity and version as stat reports them: when it differs, so may the contents.
struct FileSignature {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  long long modifiedNanoseconds = 0;
  long long changedNanoseconds = 0;
  bool operator==(const FileSignature&) const = default;
};

FileSignature signatureOf(const struct stat& status);

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
// `abandon`, when given, is asked before each piece: once it says yes, the read stops.
FileStream streamRegularFileAt(int directory, const std::string& name, std::size_t maxBytes, const FileSink& sink,
                               const std::function<bool()>& abandon = {});

// "64 MiB", or a count of bytes when that is not a whole number of MiB.
std::string sizeText(std::size_t bytes);

}  // namespace CorlaMeetings
