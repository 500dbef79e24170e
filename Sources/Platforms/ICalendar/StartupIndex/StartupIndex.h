#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ICalendar/Files/FileSignature.h"
#include "ICalendar/Files/FileSystem.h"
#include "ICalendar/Parsing/CalendarParser.h"
#include "ICalendar/Query/ParsedCalendar.h"
#include "ICalendar/StartupIndex/StartupIndexFile.h"

namespace CorlaMeetings {

struct StartupIndexOptions {
  std::string folder;   // where the indexes are kept; empty: no index
  std::string program;  // this build (runningProgramIdentity()); empty: no index
  // A file changed this recently is parsed whatever its index entry says, and is not
  // indexed: a second write within one tick of the file system's clock would keep its
  // signature.
  std::chrono::seconds settle{2};
  // Files this large are indexed by the bytes of their events, smaller ones as a whole.
  std::uint64_t rangesFrom = std::uint64_t{256} << 10;
  // How long after a start-up read a store reads what it left out. A single print is
  // done by then and never pays for it.
  std::chrono::milliseconds completeAfter{2000};
};

// One source's start-up index, as its reader uses it: entries loaded for a start-up, the
// entry a parse makes, and saving. The index only ever spares parsing; an entry stands in
// for a file only while the file's signature is the one indexed.
class StartupIndex {
 public:
  StartupIndex(const std::string& source, StartupIndexOptions options);

  bool enabled() const { return !options_.folder.empty() && !options_.program.empty(); }

  // Loads the index (nothing, silently, when there is none fit to use) for one start-up
  // read; dropLoaded() when it is done.
  void load();
  void dropLoaded();
  std::size_t loadedCount() const { return loaded_.files.size(); }

  // The loaded entry of file `key` when it is of the version at `current`.
  const IndexedFile* loadedEntry(const std::string& key, const FileSignature& current) const;
  // Whether a file at `current` changed longer than the settling time ago: only then may
  // its entry stand in for parsing it.
  bool settledNow(const FileSignature& current) const { return settled(current, std::chrono::system_clock::now()); }

  // Whether a parse of a file of `size` bytes records its events' bytes.
  bool wantsRanges(std::uint64_t size) const { return size >= options_.rangesFrom; }

  // The entry for a file parsed whole as `parsed` from a read at `read`, started at
  // `readStart`: none when the parse had problems (they are to be reported on every start)
  // or found no calendar, or the file changed within the settling time before the read.
  std::optional<IndexedFile> entryOfParse(const FileSignature& read, const ParseResult& parsed, CalendarLayout layout,
                                          std::chrono::system_clock::time_point readStart) const;

  // Replaces the index file with `files`. Returns what went wrong; empty when saved.
  std::string save(const IndexedFiles& files) const;

 private:
  bool settled(const FileSignature& signature, std::chrono::system_clock::time_point now) const;

  StartupIndexOptions options_;
  std::string path_;
  StartupIndexIdentity identity_;
  LoadedStartupIndex loaded_;
  mutable std::size_t next_ = 0;  // in loaded_, after the entry last found
};

// The bytes of `entry`'s events that meet `window` (with every zone), neighbours as one
// range: parsed by parseRanges(), they answer any query inside the window as the whole
// file would.
std::vector<ByteRange> rangesMeeting(const IndexedFile& entry, const TimeReach& window);
// The calendar of those ranges' bytes, each of which starts a line.
ParseResult parseRanges(const std::vector<std::string>& pieces);

}  // namespace CorlaMeetings
