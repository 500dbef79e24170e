#include "ICalendar/StartupIndex/StartupIndex.h"
#include "ICalendar/Files/FileSignature.h"
#include "ICalendar/Parsing/CalendarParser.h"

#include <unistd.h>

#include <algorithm>

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

std::vector<ByteRange> rangesMeeting(const IndexedFile& entry, const TimeReach& window) {
  std::vector<ByteRange> ranges;
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
    ranges.push_back({entry.ranges[i].begin, entry.ranges[last].end});
    i = last + 1;
  }
  return ranges;
}

ParseResult parseRanges(const std::vector<std::string>& pieces) {
  std::string text = "BEGIN:VCALENDAR\r\n";
  for (const std::string& piece : pieces) {
    text += piece;
    if (text.back() != '\n' && text.back() != '\r') text += "\r\n";
  }
  text += "END:VCALENDAR\r\n";
  return parseCalendar(text);
}

}  // namespace CorlaMeetings
