#include "ICalendar/Files/RegularFile.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "ICalendar/Files/FileSignature.h"
#include "ICalendar/Files/SystemErrorText.h"
#include "ICalendar/Files/UniqueFd.h"
#include "ICalendar/Text/SizeText.h"

namespace CorlaMeetings {

namespace {}  // namespace

FileStream streamRegularFileAt(int directory, const std::string& name, std::size_t maxBytes, const FileSink& sink,
                               const std::function<bool()>& abandon) {
  FileStream result;
  // Non-blocking: opening a FIFO would otherwise wait for a writer.
  UniqueFd fd(::openat(directory, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0) {
    result.error = systemErrorText(errno);
    return result;
  }
  struct stat status;
  if (::fstat(fd.get(), &status) != 0) {
    result.error = systemErrorText(errno);
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
    if (abandon && abandon()) {
      result.error = "abandoned";
      return result;
    }
    // The file may grow while it is read: stop one byte past the limit.
    std::size_t wanted = std::min(sizeof buffer, maxBytes + 1 - total);
    ssize_t count = ::read(fd.get(), buffer, wanted);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      result.error = systemErrorText(errno);
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

}  // namespace CorlaMeetings
