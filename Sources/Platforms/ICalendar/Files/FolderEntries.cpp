#include "ICalendar/Files/FolderEntries.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

#include "ICalendar/Files/FileSignature.h"
#include "ICalendar/Threads/ParallelWork.h"

namespace CorlaMeetings {

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

std::optional<std::vector<EntryStatus>> entryStatus(int directory, const std::vector<std::string>& names,
                                                    const std::function<bool()>& abandon) {
  std::vector<EntryStatus> status(names.size());
  std::atomic<bool> abandoned{false};
  forEachInParallel(names.size(), 2048, [&](std::size_t i) {
    if (abandoned.load(std::memory_order_relaxed) || (abandon && abandon())) {
      abandoned = true;
      return;
    }
    struct stat entry;
    if (::fstatat(directory, names[i].c_str(), &entry, AT_SYMLINK_NOFOLLOW) == 0) {
      status[i] = {entry.st_mode, signatureOf(entry)};
    }
  });
  if (abandoned) return std::nullopt;
  return status;
}

}  // namespace CorlaMeetings
