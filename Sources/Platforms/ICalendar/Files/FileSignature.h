#pragma once

#include <sys/stat.h>
#include <sys/types.h>

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

FileSignature signatureOf(const struct stat& status);

}  // namespace CorlaMeetings
