#include "ICalendar/Sources/CurlLibrary.h"

#include <dlfcn.h>

namespace CorlaMeetings {

namespace {

template <typename Function>
bool resolve(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  return function != nullptr;
}

struct Loaded {
  const CurlLibrary* library = nullptr;
  std::string error;
};

Loaded load() {
  Loaded loaded;
  void* library = dlopen(VELTO_CURL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* why = dlerror();
    loaded.error = std::string("the network library could not be loaded: ") + (why ? why : VELTO_CURL_LIBRARY);
    return loaded;
  }
  static CurlLibrary curl;
  decltype(&curl_global_init) globalInit = nullptr;
  bool found = resolve(library, "curl_global_init", globalInit) && resolve(library, "curl_easy_init", curl.easy_init) &&
               resolve(library, "curl_easy_cleanup", curl.easy_cleanup) &&
               resolve(library, "curl_easy_setopt", curl.easy_setopt) &&
               resolve(library, "curl_easy_getinfo", curl.easy_getinfo) &&
               resolve(library, "curl_easy_strerror", curl.easy_strerror) &&
               resolve(library, "curl_multi_init", curl.multi_init) &&
               resolve(library, "curl_multi_cleanup", curl.multi_cleanup) &&
               resolve(library, "curl_multi_add_handle", curl.multi_add_handle) &&
               resolve(library, "curl_multi_remove_handle", curl.multi_remove_handle) &&
               resolve(library, "curl_multi_perform", curl.multi_perform) &&
               resolve(library, "curl_multi_poll", curl.multi_poll) &&
               resolve(library, "curl_multi_wakeup", curl.multi_wakeup) &&
               resolve(library, "curl_multi_info_read", curl.multi_info_read) &&
               resolve(library, "curl_url", curl.url) && resolve(library, "curl_url_cleanup", curl.url_cleanup) &&
               resolve(library, "curl_url_get", curl.url_get) && resolve(library, "curl_url_set", curl.url_set) &&
               resolve(library, "curl_free", curl.free);
  if (!found) {
    loaded.error = "the network library is too old (libcurl 7.84 or later is needed)";
  } else if (globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
    // The global set-up is thread-safe from 7.84 on, and nothing else in the process uses
    // libcurl's TLS library: it may run on whichever thread comes first.
    loaded.error = "the network library could not start";
  } else {
    loaded.library = &curl;
  }
  return loaded;
}

}  // namespace

const CurlLibrary* curlLibrary(std::string* error) {
  static const Loaded loaded = load();
  if (error && !loaded.library) *error = loaded.error;
  return loaded.library;
}

}  // namespace CorlaMeetings
