#include "ICalendar/Files/FileSignature.h"

namespace CorlaMeetings {

namespace {

long long nanoseconds(const timespec& time) { return time.tv_sec * 1'000'000'000LL + time.tv_nsec; }

}  // namespace

FileSignature signatureOf(const struct stat& status) {
  return {status.st_dev, status.st_ino, status.st_size, nanoseconds(status.st_mtim), nanoseconds(status.st_ctim)};
}

}  // namespace CorlaMeetings
