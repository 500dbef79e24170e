#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ICalendar/Files/FileSignature.h"
#include "ICalendar/Files/RegularFile.h"
#include "ICalendar/StartupIndex/CalendarLayout.h"

namespace CorlaMeetings {

// What a start-up index knows of one version of a calendar file: where its occurrences
// can lie and, for a large file, the bytes of each of its events and zones.
struct IndexedFile {
  FileSignature signature;
  TimeReach reach;
  std::vector<TextRange> ranges;  // in the order of the file; empty: the file is read whole
  bool operator==(const IndexedFile&) const = default;
};

// By the file's path inside its folder source ("" for a file source), sorted by that path;
// pointing into what the caller keeps.
using IndexedFiles = std::vector<std::pair<std::string_view, const IndexedFile*>>;

// Whose index a file is. An index of another build of the program (which may read
// calendars differently), of another source, or made in another zone or with other zone
// rules (floating times depend on them) is foreign.
struct StartupIndexIdentity {
  std::string program;
  std::string source;
  std::string zone;
};

// Index files are disposable: a missing, cut short, damaged, foreign or old-format one
// reads as nothing, and the next save replaces it. The format is this machine's byte order,
// checked by a checksum, and at most kMaxStartupIndexBytes.
inline constexpr std::size_t kMaxStartupIndexBytes = std::size_t{32} << 20;

// An index as read: its entries' keys point into its bytes.
struct LoadedStartupIndex {
  std::vector<char> bytes;
  std::vector<std::pair<std::string_view, IndexedFile>> files;  // sorted by key
};
std::optional<LoadedStartupIndex> loadStartupIndex(const std::string& path, const StartupIndexIdentity& identity);

// Replaces the index at `path` whole: written to a temporary file beside it and renamed
// over it, so that a reader, or a second process saving at the same time, sees one
// complete index or the other. Makes the folder (0700) as needed, and keeps it bounded:
// temporary files left behind by a crash go after an hour, and the oldest indexes go
// beyond kMaxStartupIndexes. Returns what went wrong; empty when saved.
inline constexpr std::size_t kMaxStartupIndexes = 32;
std::string saveStartupIndex(const std::string& path, const StartupIndexIdentity& identity, const IndexedFiles& files);

// The index file of `source` (a path as the source list gives it) in `folder`.
std::string startupIndexPath(const std::string& folder, const std::string& source);

// $XDG_CACHE_HOME/velto, or ~/.cache/velto where that is unset, empty or relative; empty
// without a home. Reads the environment: call it before threads start.
std::string defaultStartupIndexFolder();

// This build of the program, as the file it runs from (its device, inode, size and time);
// empty when that cannot be told, and then no index can be trusted.
std::string runningProgramIdentity();

// The zone floating times are read in, with the version of the zone rules.
std::string currentZoneIdentity();

}  // namespace CorlaMeetings
