#include "ICalendar/StartupIndex/StartupIndexFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <unicode/timezone.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <system_error>

#include "ICalendar/Files/FileSignature.h"
#include "ICalendar/Files/SystemErrorText.h"
#include "ICalendar/Files/UniqueFd.h"
#include "ICalendar/Text/SizeText.h"
#include "ICalendar/Zones/EventTimeZone.h"

namespace CorlaMeetings {

namespace {

constexpr std::string_view kMagic = "VELTOIDX";
constexpr std::uint32_t kFormat = 1;
constexpr std::size_t kHeaderBytes = kMagic.size() + sizeof(std::uint32_t) + 2 * sizeof(std::uint64_t);
// An entry without ranges: its key's length, signature, reach and count of ranges, and its key.
constexpr std::size_t kSmallestEntryBytes = 4 + 5 * 8 + 2 * 8 + 4;
constexpr std::string_view kTemporaryPrefix = ".index-";
constexpr std::string_view kIndexSuffix = ".index";
constexpr std::time_t kStaleTemporarySeconds = 3600;

// Not for security, only to tell a damaged file: eight bytes at a time, mixed.
std::uint64_t checksum(std::string_view bytes) {
  constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
  std::uint64_t hash = 0x243F6A8885A308D3ull ^ bytes.size();
  auto mix = [&](std::uint64_t word) {
    hash = (hash ^ word) * kMultiplier;
    hash ^= hash >> 29;
  };
  std::size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    mix(word);
  }
  std::uint64_t tail = 0;
  std::memcpy(&tail, bytes.data() + i, bytes.size() - i);
  mix(tail);
  return hash;
}

std::uint64_t fnv1a(std::string_view text) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char c : text) hash = (hash ^ c) * 0x100000001b3ull;
  return hash;
}

class Writer {
 public:
  template <typename T>
  void number(T value) {
    bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
  }
  void text(std::string_view value) {
    number(static_cast<std::uint32_t>(value.size()));
    bytes_.append(value);
  }
  std::string& bytes() { return bytes_; }

 private:
  std::string bytes_;
};

// Reads what Writer wrote; once anything is missing, every read gives zero and ok() false.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : rest_(bytes) {}

  template <typename T>
  T number() {
    T value{};
    if (rest_.size() < sizeof value) {
      ok_ = false;
      return value;
    }
    std::memcpy(&value, rest_.data(), sizeof value);
    rest_.remove_prefix(sizeof value);
    return value;
  }
  std::string_view text() {
    const auto size = number<std::uint32_t>();
    if (rest_.size() < size) {
      ok_ = false;
      return {};
    }
    std::string_view value = rest_.substr(0, size);
    rest_.remove_prefix(size);
    return value;
  }
  bool ok() const { return ok_; }
  std::size_t left() const { return rest_.size(); }

 private:
  std::string_view rest_;
  bool ok_ = true;
};

void writeReach(Writer& out, const TimeReach& reach) {
  out.number(reach.first);
  out.number(reach.last);
}

TimeReach readReach(Reader& in) {
  TimeReach reach;
  reach.first = in.number<std::int64_t>();
  reach.last = in.number<std::int64_t>();
  return reach;
}

std::optional<IndexedFile> readEntry(Reader& in) {
  IndexedFile file;
  file.signature.device = in.number<std::uint64_t>();
  file.signature.inode = in.number<std::uint64_t>();
  file.signature.size = in.number<std::int64_t>();
  file.signature.modifiedNanoseconds = in.number<std::int64_t>();
  file.signature.changedNanoseconds = in.number<std::int64_t>();
  file.reach = readReach(in);
  const auto count = in.number<std::uint32_t>();
  constexpr std::size_t kRangeBytes = 4 * sizeof(std::uint64_t);
  if (!in.ok() || count > in.left() / kRangeBytes) return std::nullopt;
  file.ranges.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    TextRange range;
    range.begin = in.number<std::uint64_t>();
    range.end = in.number<std::uint64_t>();
    range.reach = readReach(in);
    const bool inOrder = file.ranges.empty() || file.ranges.back().end <= range.begin;
    if (!inOrder || range.begin > range.end || range.end > static_cast<std::uint64_t>(file.signature.size)) {
      return std::nullopt;
    }
    file.ranges.push_back(range);
  }
  return file;
}

std::string serialized(const StartupIndexIdentity& identity, const IndexedFiles& files) {
  // The header goes first and is filled in last: the payload is megabytes, not copied.
  Writer out;
  std::size_t size = kHeaderBytes + 3 * 4 + identity.program.size() + identity.source.size() + identity.zone.size() + 4;
  for (const auto& [key, indexed] : files) size += kSmallestEntryBytes + key.size() + indexed->ranges.size() * 4 * 8;
  out.bytes().reserve(size);
  out.bytes().append(kMagic);
  out.number(kFormat);
  out.bytes().resize(kHeaderBytes);  // payload size and checksum
  out.text(identity.program);
  out.text(identity.source);
  out.text(identity.zone);
  out.number(static_cast<std::uint32_t>(files.size()));
  for (const auto& [key, indexed] : files) {
    const IndexedFile& file = *indexed;
    out.text(key);
    out.number(static_cast<std::uint64_t>(file.signature.device));
    out.number(static_cast<std::uint64_t>(file.signature.inode));
    out.number(static_cast<std::int64_t>(file.signature.size));
    out.number(static_cast<std::int64_t>(file.signature.modifiedNanoseconds));
    out.number(static_cast<std::int64_t>(file.signature.changedNanoseconds));
    writeReach(out, file.reach);
    out.number(static_cast<std::uint32_t>(file.ranges.size()));
    for (const TextRange& range : file.ranges) {
      out.number(range.begin);
      out.number(range.end);
      writeReach(out, range.reach);
    }
  }
  std::string& bytes = out.bytes();
  const std::string_view payload = std::string_view(bytes).substr(kHeaderBytes);
  const std::uint64_t header[] = {payload.size(), checksum(payload)};
  std::memcpy(bytes.data() + kMagic.size() + sizeof kFormat, header, sizeof header);
  return std::move(bytes);
}

// Makes `folder` and its missing parents, private to the user. Returns what went wrong.
std::string makeFolder(const std::string& folder) {
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string prefix = folder.substr(0, slash);
    if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return systemErrorText(errno);
    if (slash == std::string::npos) break;
  }
  struct stat status;
  if (::stat(folder.c_str(), &status) != 0) return systemErrorText(errno);
  return S_ISDIR(status.st_mode) ? "" : systemErrorText(ENOTDIR);
}

// Removes what a crash left behind, and the oldest indexes beyond the limit (never `keep`).
void prune(const std::string& folder, const std::string& keep) {
  DIR* listing = ::opendir(folder.c_str());
  if (listing == nullptr) return;
  const std::time_t now = std::time(nullptr);
  std::vector<std::pair<std::time_t, std::string>> indexes;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name = entry->d_name;
    struct stat status;
    if (::fstatat(::dirfd(listing), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(status.st_mode)) {
      continue;
    }
    if (name.starts_with(kTemporaryPrefix) && now - status.st_mtime > kStaleTemporarySeconds) {
      ::unlinkat(::dirfd(listing), entry->d_name, 0);
    } else if (name.ends_with(kIndexSuffix) && folder + "/" + std::string(name) != keep) {
      indexes.emplace_back(status.st_mtime, name);
    }
  }
  std::sort(indexes.begin(), indexes.end());
  const std::size_t room = kMaxStartupIndexes - 1;  // and the one being saved
  for (std::size_t i = 0; i + room < indexes.size(); ++i) {
    ::unlinkat(::dirfd(listing), indexes[i].second.c_str(), 0);
  }
  ::closedir(listing);
}

// The whole of a regular file of at most `maxBytes`, read at once.
std::optional<std::vector<char>> wholeFile(const std::string& path, std::size_t maxBytes) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat status;
  if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0 ||
      static_cast<std::uint64_t>(status.st_size) > maxBytes) {
    return std::nullopt;
  }
  std::vector<char> bytes(static_cast<std::size_t>(status.st_size));
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t count = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return std::nullopt;
    done += static_cast<std::size_t>(count);
  }
  return bytes;
}

}  // namespace

std::optional<LoadedStartupIndex> loadStartupIndex(const std::string& path, const StartupIndexIdentity& identity) {
  LoadedStartupIndex index;
  if (auto read = wholeFile(path, kMaxStartupIndexBytes)) {
    index.bytes = std::move(*read);
  } else {
    return std::nullopt;
  }
  const std::string_view bytes(index.bytes.data(), index.bytes.size());
  if (bytes.size() < kHeaderBytes || !bytes.starts_with(kMagic)) return std::nullopt;
  Reader header(bytes.substr(kMagic.size(), kHeaderBytes - kMagic.size()));
  const auto format = header.number<std::uint32_t>();
  const auto size = header.number<std::uint64_t>();
  const auto sum = header.number<std::uint64_t>();
  const std::string_view payload = bytes.substr(kHeaderBytes);
  if (format != kFormat || size != payload.size() || sum != checksum(payload)) return std::nullopt;

  Reader in(payload);
  if (in.text() != identity.program || in.text() != identity.source || in.text() != identity.zone) return std::nullopt;
  const auto count = in.number<std::uint32_t>();
  if (!in.ok() || count > in.left() / kSmallestEntryBytes) return std::nullopt;
  auto& files = index.files;
  files.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::string_view key = in.text();
    if (!files.empty() && !(files.back().first < key)) return std::nullopt;
    std::optional<IndexedFile> file = readEntry(in);
    if (!file || !in.ok()) return std::nullopt;
    files.emplace_back(key, std::move(*file));
  }
  if (in.left() != 0) return std::nullopt;
  return index;
}

std::string saveStartupIndex(const std::string& path, const StartupIndexIdentity& identity, const IndexedFiles& files) {
  const std::string bytes = serialized(identity, files);
  if (bytes.size() > kMaxStartupIndexBytes) return "it would be larger than " + sizeText(kMaxStartupIndexBytes);
  const std::string folder = path.substr(0, path.rfind('/'));
  if (std::string error = makeFolder(folder); !error.empty()) return error;
  prune(folder, path);

  std::string temporary = folder + "/" + std::string(kTemporaryPrefix) + "XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return systemErrorText(errno);
  int error = 0;
  for (std::size_t written = 0; written < bytes.size() && error == 0;) {
    const ssize_t count = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (count < 0 && errno != EINTR) error = errno;
    if (count > 0) written += static_cast<std::size_t>(count);
  }
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    return systemErrorText(error);
  }
  return "";
}

std::string startupIndexPath(const std::string& folder, const std::string& source) {
  char name[32];
  std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(fnv1a(source)));
  return folder + "/" + name + std::string(kIndexSuffix);
}

std::string defaultStartupIndexFolder() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache && cache[0] == '/') return std::string(cache) + "/velto";
  const char* home = std::getenv("HOME");
  if (!home || home[0] == '\0') return "";
  return std::string(home) + "/.cache/velto";
}

std::string runningProgramIdentity() {
  struct stat status;
  if (::stat("/proc/self/exe", &status) != 0) return "";
  const FileSignature signature = signatureOf(status);
  return "program " + std::to_string(signature.device) + ":" + std::to_string(signature.inode) + " " +
         std::to_string(signature.size) + " " + std::to_string(signature.modifiedNanoseconds);
}

std::string currentZoneIdentity() {
  UErrorCode status = U_ZERO_ERROR;
  const char* rules = icu::TimeZone::getTZDataVersion(status);
  return EventTimeZone::currentId() + " " + (U_SUCCESS(status) && rules ? rules : "");
}

}  // namespace CorlaMeetings
