#include "ICalendar/StartupIndex/StartupIndex.h"
#include "ICalendar/Files/FileSignature.h"
#include "ICalendar/Files/UniqueFd.h"
#include "ICalendar/Parsing/CalendarParser.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>

namespace CorlaMeetings {

using namespace std::chrono;

namespace {

std::string absolutePath(const std::string& path) {
  if (path.starts_with('/')) return path;
  std::string directory(4096, '\0');
  if (::getcwd(directory.data(), directory.size()) == nullptr) return path;
  return directory.c_str() + std::string("/") + path;
}

long long nanosecondsOf(system_clock::time_point time) {
  return duration_cast<nanoseconds>(time.time_since_epoch()).count();
}

// Reads bytes [begin, end) of `fd` onto `into`.
bool readRange(int fd, std::uint64_t begin, std::uint64_t end, std::string& into) {
  const std::size_t at = into.size();
  into.resize(at + (end - begin));
  for (std::uint64_t done = 0; done < end - begin;) {
    const ssize_t count = ::pread(fd, into.data() + at + done, end - begin - done, static_cast<off_t>(begin + done));
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    done += static_cast<std::uint64_t>(count);
  }
  return true;
}

}  // namespace

StartupIndex::StartupIndex(const std::string& source, StartupIndexOptions options) : options_(std::move(options)) {
  if (!enabled()) return;
  const std::string absolute = absolutePath(source);
  path_ = startupIndexPath(options_.folder, absolute);
  identity_ = {options_.program, absolute, currentZoneIdentity()};
}

void StartupIndex::load() {
  if (enabled()) loaded_ = loadStartupIndex(path_, identity_).value_or(LoadedStartupIndex());
}

void StartupIndex::dropLoaded() {
  loaded_ = LoadedStartupIndex();
  next_ = 0;
}

bool StartupIndex::settled(const FileSignature& signature, system_clock::time_point now) const {
  const long long changed = std::max(signature.modifiedNanoseconds, signature.changedNanoseconds);
  return nanosecondsOf(now) - changed >= duration_cast<nanoseconds>(options_.settle).count();
}

const IndexedFile* StartupIndex::loadedEntry(const std::string& key, const FileSignature& current) const {
  const auto& files = loaded_.files;
  // Asked in the order of the files, mostly: try the one after the last found first.
  auto found = next_ < files.size() && files[next_].first == key
                   ? files.begin() + static_cast<std::ptrdiff_t>(next_)
                   : std::lower_bound(files.begin(), files.end(), key,
                                      [](const auto& entry, const std::string& k) { return entry.first < k; });
  if (found == files.end() || found->first != key) return nullptr;
  next_ = static_cast<std::size_t>(found - files.begin()) + 1;
  return found->second.signature == current ? &found->second : nullptr;
}

std::optional<IndexedFile> StartupIndex::entryOfParse(const FileSignature& read, const ParseResult& parsed,
                                                      CalendarLayout layout, system_clock::time_point readStart) const {
  if (!enabled() || !parsed.calendar || !parsed.problems.empty() || !settled(read, readStart)) return std::nullopt;
  return IndexedFile{read, layout.reach, std::move(layout.ranges)};
}

std::string StartupIndex::save(const IndexedFiles& files) const {
  if (!enabled()) return "";
  return saveStartupIndex(path_, identity_, files);
}

std::optional<ParseResult> parseIndexedRanges(int directory, const std::string& name, const IndexedFile& entry,
                                              const TimeReach& window) {
  UniqueFd fd(::openat(directory, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat status;
  if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
      signatureOf(status) != entry.signature) {
    return std::nullopt;
  }
  // The blocks in reach, neighbours read as one piece; each starts a line.
  std::string text = "BEGIN:VCALENDAR\r\n";
  for (std::size_t i = 0; i < entry.ranges.size();) {
    if (!entry.ranges[i].reach.meets(window)) {
      ++i;
      continue;
    }
    std::size_t last = i;
    while (last + 1 < entry.ranges.size() && entry.ranges[last + 1].reach.meets(window) &&
           entry.ranges[last + 1].begin == entry.ranges[last].end) {
      ++last;
    }
    if (!readRange(fd.get(), entry.ranges[i].begin, entry.ranges[last].end, text)) return std::nullopt;
    if (text.back() != '\n' && text.back() != '\r') text += "\r\n";
    i = last + 1;
  }
  text += "END:VCALENDAR\r\n";
  return parseCalendar(text);
}

}  // namespace CorlaMeetings
