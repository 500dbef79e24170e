#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ICalendar/Files/FileSignature.h"
#include "ICalendar/Files/RegularFile.h"

namespace CorlaMeetings {

// The names in the open directory `directory`, but hidden ones (temporary files), sorted:
// the same order on every read.
std::vector<std::string> entryNames(int directory);

struct EntryStatus {
  mode_t mode = 0;  // 0: gone meanwhile
  FileSignature signature;
};

// The status of each of `names` in `directory`, not following symlinks; several at once.
// Nothing once `abandon` says yes: twenty thousand files take a while, and a program
// exiting waits for this.
std::optional<std::vector<EntryStatus>> entryStatus(int directory, const std::vector<std::string>& names,
                                                    const std::function<bool()>& abandon = {});

}  // namespace CorlaMeetings
