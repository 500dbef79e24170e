#include "ICalendar/Files/FileWatcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <system_error>
#include <thread>
#include <utility>

#include "ICalendar/Files/SystemErrorText.h"

namespace CorlaMeetings {

namespace {

constexpr std::uint32_t kEntryEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE | IN_ATTRIB;
constexpr std::uint32_t kSelfEvents = IN_DELETE_SELF | IN_MOVE_SELF;

// Which entries of a directory matter; nothing means all.
using NameFilter = std::optional<std::set<std::string>>;

bool allows(const NameFilter& filter, const std::string& name) { return !filter || filter->contains(name); }

void widen(NameFilter& filter, const std::vector<std::string>& names) {
  if (!filter) return;
  if (names.empty()) {
    filter.reset();
  } else {
    filter->insert(names.begin(), names.end());
  }
}

bool isDirectory(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// What to watch for `directory`: itself, or while it is missing, its nearest existing
// ancestor and there the next folder on the way down.
WatchedDirectory nearestExisting(const WatchedDirectory& directory) {
  WatchedDirectory watched = directory;
  while (!isDirectory(watched.path)) {
    std::size_t slash = watched.path.find_last_of('/');
    if (slash == std::string::npos || watched.path == "/") return directory;  // nothing above
    std::string name = watched.path.substr(slash + 1);
    watched.path.resize(slash == 0 ? 1 : slash);
    if (!name.empty()) watched.names = {std::move(name)};
  }
  return watched;
}

// A folder that appears while its ancestor's watch is being set up goes unseen by that
// watch: the directories are looked up again until they hold still, this many times.
constexpr int kResolveRounds = 8;

}  // namespace

struct FileWatcher::State {
  int inotifyFd = -1;
  int wakeFd = -1;
  std::function<void()> onChange;
  std::thread thread;

  std::mutex mutex;  // guards the two below
  bool stopping = false;
  std::optional<std::vector<WatchedDirectory>> requested;

  // The watcher thread's own.
  std::vector<WatchedDirectory> current;  // as last requested
  bool allPresent = true;                 // no ancestor stands in for a directory of `current`
  std::map<std::string, int> watchByPath;
  std::map<int, NameFilter> filterByWatch;  // two paths may name one directory

  void wake() const {
    std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = ::write(wakeFd, &one, sizeof one);
  }

  // Watches `directories`, or their stand-ins. Returns whether one of `directories`
  // newly came under watch (a stand-in does not count: what it stands for is still missing).
  bool apply(std::vector<WatchedDirectory> directories) {
    current = std::move(directories);
    std::set<std::string> targets;
    for (const WatchedDirectory& directory : current) targets.insert(directory.path);
    bool added = false;
    std::vector<WatchedDirectory> resolved;
    for (int round = 0; round < kResolveRounds; ++round) {
      std::vector<WatchedDirectory> now = resolve();
      if (round > 0 && now == resolved) break;
      resolved = std::move(now);
      added = install(resolved, targets) || added;
    }
    allPresent = resolved == current;
    return added;
  }

  std::vector<WatchedDirectory> resolve() const {
    std::vector<WatchedDirectory> resolved;
    for (const WatchedDirectory& directory : current) resolved.push_back(nearestExisting(directory));
    return resolved;
  }

  // Returns whether one of `targets` newly came under watch.
  bool install(const std::vector<WatchedDirectory>& directories, const std::set<std::string>& targets) {
    std::map<std::string, NameFilter> wanted;
    for (const WatchedDirectory& directory : directories) {
      auto [entry, inserted] = wanted.try_emplace(directory.path, std::set<std::string>());
      widen(entry->second, directory.names);
    }
    bool added = false;
    std::map<std::string, int> watches;
    for (const auto& [path, filter] : wanted) {
      auto existing = watchByPath.find(path);
      int watch = existing != watchByPath.end()
                      ? existing->second
                      : ::inotify_add_watch(inotifyFd, path.c_str(), kEntryEvents | kSelfEvents | IN_ONLYDIR);
      if (watch < 0) continue;  // not there (yet), or not a directory
      added = added || (existing == watchByPath.end() && targets.contains(path));
      watches[path] = watch;
    }
    std::set<int> kept;
    for (const auto& [path, watch] : watches) kept.insert(watch);
    for (const auto& [path, watch] : watchByPath) {
      if (!kept.contains(watch)) ::inotify_rm_watch(inotifyFd, watch);
    }
    watchByPath = std::move(watches);
    filterByWatch.clear();
    for (const auto& [path, watch] : watchByPath) {
      auto [entry, inserted] = filterByWatch.try_emplace(watch, std::set<std::string>());
      const NameFilter& filter = wanted[path];
      if (!filter) {
        entry->second.reset();
      } else if (entry->second) {
        entry->second->insert(filter->begin(), filter->end());
      }
    }
    return added;
  }

  void forget(int watch) {
    std::erase_if(watchByPath, [&](const auto& entry) { return entry.second == watch; });
    filterByWatch.erase(watch);
  }

  // Reads every queued event; returns whether any of them matters. `lostWatch` is set when
  // a watched directory went away.
  bool drainEvents(bool& lostWatch) {
    bool relevant = false;
    alignas(inotify_event) char buffer[1 << 16];
    for (;;) {
      ssize_t length = ::read(inotifyFd, buffer, sizeof buffer);
      if (length < 0 && errno == EINTR) continue;
      if (length <= 0) return relevant;  // EAGAIN: drained
      for (ssize_t offset = 0; offset < length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
        offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        if (event->mask & IN_Q_OVERFLOW) {
          relevant = true;  // events were lost: anything may have changed
          continue;
        }
        auto filter = filterByWatch.find(event->wd);
        if (filter == filterByWatch.end()) continue;
        if (event->mask & IN_IGNORED) {
          forget(event->wd);
          relevant = lostWatch = true;
        } else if (event->mask & kSelfEvents) {
          // The path no longer leads here: what it leads to is watched again below.
          ::inotify_rm_watch(inotifyFd, event->wd);
          forget(event->wd);
          relevant = lostWatch = true;
        } else if (event->len == 0 || allows(filter->second, event->name)) {
          relevant = true;
        }
      }
    }
  }
};

FileWatcher::FileWatcher(std::function<void()> onChange) : state_(std::make_shared<State>()) {
  state_->onChange = std::move(onChange);
  state_->inotifyFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (state_->inotifyFd < 0) {
    error_ = systemErrorText(errno);
    return;
  }
  state_->wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (state_->wakeFd < 0) {
    error_ = systemErrorText(errno);
    return;
  }
  state_->thread = std::thread([this] { run(); });
}

FileWatcher::~FileWatcher() {
  if (state_->thread.joinable()) {
    {
      std::lock_guard lock(state_->mutex);
      state_->stopping = true;
    }
    state_->wake();
    state_->thread.join();
  }
  if (state_->wakeFd >= 0) ::close(state_->wakeFd);
  if (state_->inotifyFd >= 0) ::close(state_->inotifyFd);
}

void FileWatcher::setDirectories(std::vector<WatchedDirectory> directories) {
  if (!state_->thread.joinable()) return;
  {
    std::lock_guard lock(state_->mutex);
    state_->requested = std::move(directories);
  }
  state_->wake();
}

void FileWatcher::run() {
  State& state = *state_;
  for (;;) {
    pollfd descriptors[] = {{state.inotifyFd, POLLIN, 0}, {state.wakeFd, POLLIN, 0}};
    if (::poll(descriptors, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;  // cannot happen with valid descriptors; nothing sensible is left to do
    }
    bool changed = false;
    if (descriptors[1].revents != 0) {
      std::uint64_t count;
      [[maybe_unused]] ssize_t read = ::read(state.wakeFd, &count, sizeof count);
      std::optional<std::vector<WatchedDirectory>> requested;
      {
        std::lock_guard lock(state.mutex);
        if (state.stopping) return;
        requested.swap(state.requested);
      }
      if (requested) changed = state.apply(std::move(*requested));
    }
    if (descriptors[0].revents != 0) {
      bool lostWatch = false;
      bool relevant = state.drainEvents(lostWatch);
      // A stand-in saw the next folder come, or a directory went: look again at once.
      if (relevant && (lostWatch || !state.allPresent)) state.apply(std::move(state.current));
      changed = relevant || changed;
    }
    if (changed) state.onChange();
  }
}

}  // namespace CorlaMeetings
