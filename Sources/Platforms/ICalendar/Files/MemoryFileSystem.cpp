#include "ICalendar/Files/MemoryFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <system_error>

#include "ICalendar/Files/SystemErrorText.h"
#include "ICalendar/Text/SizeText.h"

namespace CorlaMeetings {

struct MemoryFileSystem::Node {
  EntryKind kind = EntryKind::file;
  std::string bytes;                                     // a file's contents, a symlink's target
  std::map<std::string, std::shared_ptr<Node>> entries;  // a folder's, sorted by name
  std::weak_ptr<Node> parent;                            // while it is in the tree
  std::string name;
  ino_t inode = 0;
  long long modified = 0;

  FileSignature signature() const {
    const off_t size = kind == EntryKind::folder ? 0 : static_cast<off_t>(bytes.size());
    return {1, inode, size, modified, modified};
  }
};

namespace {

using Node = MemoryFileSystem::Node;
using NodePtr = std::shared_ptr<Node>;

class MemoryWatcher;

std::string joined(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

std::pair<std::string, std::string> parentAndName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {"/", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

}  // namespace

struct MemoryFileSystem::State {
  // Taken before `mutex` by each change, and held while the watchers are told of it, so
  // that a watcher is not destroyed while it is being called.
  std::recursive_mutex changing;
  std::mutex mutex;
  NodePtr root = std::make_shared<Node>(Node{EntryKind::folder, {}, {}, {}, "", 1, 0});
  ino_t lastInode = 1;
  long long clock = 0;
  std::set<MemoryWatcher*> watchers;

  // A new entry `name` of `folder`, in place of any there.
  NodePtr made(const NodePtr& folder, const std::string& name, EntryKind kind, std::string bytes,
               std::set<MemoryWatcher*>& told) {
    auto node = std::make_shared<Node>(Node{kind, std::move(bytes), {}, folder, name, ++lastInode, ++clock});
    folder->entries[name] = node;
    changed(*folder, name, told);
    return node;
  }

  std::string pathOf(const Node& node) const {
    const NodePtr parent = node.parent.lock();
    if (!parent) return "/";
    return joined(pathOf(*parent), node.name);
  }

  // What `path` leads to from `start` (from the root when absolute), symlinks followed on
  // the way and, when `followLast`, at the end; null with the error when nothing.
  NodePtr resolve(NodePtr start, const std::string& path, bool followLast, int& error) const {
    std::deque<std::string> parts;
    auto split = [&parts](const std::string& text) {
      std::vector<std::string> pieces;
      for (std::size_t at = 0; at <= text.size();) {
        const std::size_t slash = std::min(text.find('/', at), text.size());
        pieces.push_back(text.substr(at, slash - at));
        at = slash + 1;
      }
      parts.insert(parts.begin(), pieces.begin(), pieces.end());
    };
    NodePtr current = path.starts_with('/') ? root : std::move(start);
    split(path);
    for (int links = 0; !parts.empty();) {
      const std::string part = std::move(parts.front());
      parts.pop_front();
      if (part.empty() || part == ".") continue;
      if (current->kind != EntryKind::folder) return error = ENOTDIR, nullptr;
      if (part == "..") {
        if (NodePtr parent = current->parent.lock()) current = std::move(parent);
        continue;
      }
      auto entry = current->entries.find(part);
      if (entry == current->entries.end()) return error = ENOENT, nullptr;
      if (entry->second->kind == EntryKind::symlink && (!parts.empty() || followLast)) {
        if (++links > 40) return error = ELOOP, nullptr;
        if (entry->second->bytes.starts_with('/')) current = root;
        split(entry->second->bytes);
        continue;
      }
      current = entry->second;
    }
    return current;
  }

  NodePtr resolve(const std::string& path, bool followLast, int& error) const {
    return resolve(root, path, followLast, error);
  }

  // The folder at `path`, made with those on the way when missing.
  NodePtr madeFolder(const std::string& path, std::set<MemoryWatcher*>& told);
  void changed(const Node& folder, const std::string& name, std::set<MemoryWatcher*>& told) const;
};

namespace {

class MemoryWatcher : public DirectoryWatcher {
 public:
  MemoryWatcher(std::shared_ptr<MemoryFileSystem::State> state, std::function<void()> onChange)
      : state_(std::move(state)), onChange_(std::move(onChange)) {
    std::lock_guard lock(state_->mutex);
    state_->watchers.insert(this);
  }
  ~MemoryWatcher() override {
    std::lock_guard changing(state_->changing);
    std::lock_guard lock(state_->mutex);
    state_->watchers.erase(this);
  }
  const std::string& error() const override { return none_; }
  void setDirectories(std::vector<WatchedDirectory> directories) override {
    std::lock_guard lock(state_->mutex);
    directories_ = std::move(directories);
  }

  // Under the state's lock: whether a change to `name` in `folder` concerns this watcher.
  bool watches(const std::string& folder, const std::string& name) const {
    const std::string path = joined(folder, name);
    return std::any_of(directories_.begin(), directories_.end(), [&](const WatchedDirectory& watched) {
      if (watched.path == path || watched.path.starts_with(path + "/")) return true;  // on the way to it
      return watched.path == folder &&
             (watched.names.empty() || std::count(watched.names.begin(), watched.names.end(), name) > 0);
    });
  }
  void tell() const { onChange_(); }

 private:
  std::shared_ptr<MemoryFileSystem::State> state_;
  std::function<void()> onChange_;
  std::vector<WatchedDirectory> directories_;
  std::string none_;
};

}  // namespace

void MemoryFileSystem::State::changed(const Node& folder, const std::string& name,
                                      std::set<MemoryWatcher*>& told) const {
  const std::string path = pathOf(folder);
  for (MemoryWatcher* watcher : watchers) {
    if (watcher->watches(path, name)) told.insert(watcher);
  }
}

NodePtr MemoryFileSystem::State::madeFolder(const std::string& path, std::set<MemoryWatcher*>& told) {
  NodePtr current = root;
  for (std::size_t at = 0; at <= path.size();) {
    const std::size_t slash = std::min(path.find('/', at), path.size());
    const std::string part = path.substr(at, slash - at);
    at = slash + 1;
    if (part.empty() || part == ".") continue;
    int error = 0;
    NodePtr next = resolve(current, part, true, error);
    if (!next && error == ENOENT && !current->entries.contains(part)) {
      next = made(current, part, EntryKind::folder, "", told);
    }
    if (!next || next->kind != EntryKind::folder) throw std::logic_error(path + ": not a folder");
    current = std::move(next);
  }
  return current;
}

namespace {

// Runs a change under the locks, then tells the watchers it concerns.
template <typename Change>
void change(MemoryFileSystem::State& state, Change&& apply) {
  std::lock_guard changing(state.changing);
  std::set<MemoryWatcher*> told;
  {
    std::lock_guard lock(state.mutex);
    apply(told);
  }
  for (MemoryWatcher* watcher : told) watcher->tell();
}

EntryStatus statusOf(const NodePtr& node, int error) {
  if (!node) return {EntryKind::missing, {}, systemErrorText(error)};
  return {node->kind, node->signature(), {}};
}

class MemoryFolder : public Folder {
 public:
  MemoryFolder(std::shared_ptr<MemoryFileSystem::State> state, NodePtr folder)
      : state_(std::move(state)), folder_(std::move(folder)) {}

  std::vector<std::string> names() override {
    std::lock_guard lock(state_->mutex);
    std::vector<std::string> names;
    for (const auto& [name, node] : folder_->entries) {
      if (!name.starts_with('.')) names.push_back(name);
    }
    return names;
  }

  std::optional<std::vector<EntryStatus>> status(const std::vector<std::string>& names,
                                                 const Abandon& abandon) override {
    std::lock_guard lock(state_->mutex);
    std::vector<EntryStatus> status;
    for (const std::string& name : names) {
      if (abandon && abandon()) return std::nullopt;
      auto entry = folder_->entries.find(name);
      status.push_back(statusOf(entry == folder_->entries.end() ? nullptr : entry->second, ENOENT));
    }
    return status;
  }

  EntryStatus targetStatus(const std::string& name) override {
    std::lock_guard lock(state_->mutex);
    int error = 0;
    NodePtr node = state_->resolve(folder_, name, true, error);
    return statusOf(node, error);
  }

  std::unique_ptr<Folder> openSubfolder(const std::string& name) override {
    std::lock_guard lock(state_->mutex);
    auto entry = folder_->entries.find(name);
    if (entry == folder_->entries.end() || entry->second->kind != EntryKind::folder) return nullptr;
    return std::make_unique<MemoryFolder>(state_, entry->second);
  }

  FileStream stream(const std::string& name, std::size_t maxBytes, const FileSink& sink,
                    const Abandon& abandon) override {
    FileStream result;
    std::string bytes;  // a copy: the sink runs without the lock
    {
      std::lock_guard lock(state_->mutex);
      int error = 0;
      const NodePtr node = state_->resolve(folder_, name, true, error);
      if (!node) return result.error = systemErrorText(error), result;
      if (node->kind != EntryKind::file) return result.error = "not a regular file", result;
      if (node->bytes.size() > maxBytes) return result.error = "larger than " + sizeText(maxBytes), result;
      bytes = node->bytes;
      result.signature = node->signature();
    }
    for (std::size_t at = 0; at < bytes.size(); at += std::size_t{1} << 16) {
      if (abandon && abandon()) return result.error = "abandoned", result;
      sink(std::string_view(bytes).substr(at, std::size_t{1} << 16));
    }
    result.complete = true;
    return result;
  }

  std::optional<std::vector<std::string>> readRanges(const std::string& name, const FileSignature& expected,
                                                     const std::vector<ByteRange>& ranges) override {
    std::lock_guard lock(state_->mutex);
    int error = 0;
    const NodePtr node = state_->resolve(folder_, name, true, error);
    if (!node || node->kind != EntryKind::file || node->signature() != expected) return std::nullopt;
    std::vector<std::string> pieces;
    for (const ByteRange& range : ranges) {
      if (range.begin > range.end || range.end > node->bytes.size()) return std::nullopt;
      pieces.push_back(node->bytes.substr(range.begin, range.end - range.begin));
    }
    return pieces;
  }

 private:
  std::shared_ptr<MemoryFileSystem::State> state_;
  NodePtr folder_;  // kept while open, as an open directory is
};

}  // namespace

MemoryFileSystem::MemoryFileSystem() : state_(std::make_shared<State>()) {}

void MemoryFileSystem::write(const std::string& path, const std::string& bytes) {
  change(*state_, [&](std::set<MemoryWatcher*>& told) {
    auto [parentPath, name] = parentAndName(path);
    NodePtr parent = state_->madeFolder(parentPath, told);
    int error = 0;
    NodePtr node = state_->resolve(parent, name, true, error);
    if (!node && !parent->entries.contains(name)) {
      node = state_->made(parent, name, EntryKind::file, bytes, told);
    } else if (!node || node->kind != EntryKind::file) {
      throw std::logic_error(path + ": not a file");
    }
    node->bytes = bytes;
    node->modified = ++state_->clock;
    state_->changed(*node->parent.lock(), node->name, told);
  });
}

void MemoryFileSystem::replace(const std::string& path, const std::string& bytes) {
  change(*state_, [&](std::set<MemoryWatcher*>& told) {
    auto [parentPath, name] = parentAndName(path);
    state_->made(state_->madeFolder(parentPath, told), name, EntryKind::file, bytes, told);
  });
}

void MemoryFileSystem::makeFolder(const std::string& path) {
  change(*state_, [&](std::set<MemoryWatcher*>& told) { state_->madeFolder(path, told); });
}

void MemoryFileSystem::makeSymlink(const std::string& path, const std::string& target) {
  change(*state_, [&](std::set<MemoryWatcher*>& told) {
    auto [parentPath, name] = parentAndName(path);
    NodePtr parent = state_->madeFolder(parentPath, told);
    if (parent->entries.contains(name)) throw std::logic_error(path + ": exists");
    state_->made(parent, name, EntryKind::symlink, target, told);
  });
}

void MemoryFileSystem::remove(const std::string& path) {
  change(*state_, [&](std::set<MemoryWatcher*>& told) {
    int error = 0;
    NodePtr node = state_->resolve(path, false, error);
    NodePtr parent = node ? node->parent.lock() : nullptr;
    if (!parent) throw std::logic_error(path + ": nothing to remove");
    state_->changed(*parent, node->name, told);
    parent->entries.erase(node->name);
    node->parent.reset();
  });
}

void MemoryFileSystem::rename(const std::string& from, const std::string& to) {
  change(*state_, [&](std::set<MemoryWatcher*>& told) {
    int error = 0;
    NodePtr node = state_->resolve(from, false, error);
    NodePtr parent = node ? node->parent.lock() : nullptr;
    if (!parent) throw std::logic_error(from + ": nothing to rename");
    auto [toParentPath, toName] = parentAndName(to);
    NodePtr toParent = state_->madeFolder(toParentPath, told);
    state_->changed(*parent, node->name, told);
    parent->entries.erase(node->name);
    node->parent = toParent;
    node->name = toName;
    toParent->entries[toName] = node;
    state_->changed(*toParent, toName, told);
  });
}

// Paths are names from the root folder, absolute or not.
EntryStatus MemoryFileSystem::status(const std::string& path) {
  return MemoryFolder(state_, state_->root).targetStatus(path);
}

std::unique_ptr<Folder> MemoryFileSystem::openFolder(const std::string& path, std::string& error) {
  std::lock_guard lock(state_->mutex);
  int code = 0;
  NodePtr node = state_->resolve(path, true, code);
  if (node && node->kind != EntryKind::folder) code = ENOTDIR;
  if (!node || node->kind != EntryKind::folder) {
    error = systemErrorText(code);
    return nullptr;
  }
  return std::make_unique<MemoryFolder>(state_, std::move(node));
}

std::string MemoryFileSystem::resolvedPath(const std::string& path) {
  std::lock_guard lock(state_->mutex);
  int error = 0;
  NodePtr node = state_->resolve(path, true, error);
  return node ? state_->pathOf(*node) : "";
}

FileStream MemoryFileSystem::stream(const std::string& path, std::size_t maxBytes, const FileSink& sink,
                                    const Abandon& abandon) {
  return MemoryFolder(state_, state_->root).stream(path, maxBytes, sink, abandon);
}

std::optional<std::vector<std::string>> MemoryFileSystem::readRanges(const std::string& path,
                                                                     const FileSignature& expected,
                                                                     const std::vector<ByteRange>& ranges) {
  return MemoryFolder(state_, state_->root).readRanges(path, expected, ranges);
}

std::unique_ptr<DirectoryWatcher> MemoryFileSystem::watcher(std::function<void()> onChange) {
  return std::make_unique<MemoryWatcher>(state_, std::move(onChange));
}

}  // namespace CorlaMeetings
