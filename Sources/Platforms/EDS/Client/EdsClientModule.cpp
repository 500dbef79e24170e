#include "EDS/Client/EdsClientModule.h"

#include <dlfcn.h>

#include <filesystem>
#include <map>
#include <string_view>

#include "ICalendar/Libical/LibicalLock.h"

namespace CorlaMeetings {

namespace {

struct Loaded {
  EdsClient* client = nullptr;
  std::string error;
};

Loaded load(const std::string& file) {
  // Never unloaded: libecal's GLib types stay registered for the life of the process.
  void* module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!module) {
    const char* why = dlerror();
    return {nullptr, why ? why : file + ": cannot be loaded"};
  }
  auto entry = reinterpret_cast<EdsClientEntry>(dlsym(module, kEdsClientEntry));
  static EdsClientHost host{&libicalMutex()};
  EdsClient* client = entry ? entry(kEdsClientInterface, &host) : nullptr;
  if (!client) return {nullptr, file + " belongs to another build of Velto"};
  return {client, ""};
}

}  // namespace

std::string installedEdsClientModule() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  // Only a program still in its build tree loads the module built beside it: an installed
  // one must never load code from a path that was its build folder, which may now be
  // anyone's.
  const std::string_view buildTree = VELTO_BUILD_TREE;
  if (!error && program.native().starts_with(buildTree)) return VELTO_EDS_MODULE_BUILT;
  if (error) return VELTO_EDS_MODULE_PREFIXED;
  return (program.parent_path() / ".." / VELTO_EDS_MODULE_INSTALLED).lexically_normal();
}

EdsClient* loadEdsClient(const std::string& file, std::string& error) {
  static std::mutex mutex;
  static std::map<std::string, Loaded> loaded;
  std::lock_guard lock(mutex);
  auto found = loaded.find(file);
  if (found == loaded.end()) found = loaded.emplace(file, load(file)).first;
  error = found->second.error;
  return found->second.client;
}

}  // namespace CorlaMeetings
