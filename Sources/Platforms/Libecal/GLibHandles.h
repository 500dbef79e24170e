#pragma once

#include <gio/gio.h>

#include <memory>
#include <string>
#include <unordered_set>
#include <utility>

namespace CorlaMeetings {

// Owners for what GLib hands out.
struct GObjectUnref {
  void operator()(gpointer object) const {
    if (object) g_object_unref(object);
  }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct GErrorFree {
  void operator()(GError* error) const { g_error_free(error); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

struct GFreeDeleter {
  void operator()(gpointer memory) const { g_free(memory); }
};
using GCharPtr = std::unique_ptr<char, GFreeDeleter>;

inline std::string errorText(const GError* error) { return error && error->message ? error->message : "unknown error"; }

// The user data of an asynchronous GLib call, which GLib hands back exactly once, to the
// callback (with G_IO_ERROR_CANCELLED if cancelled), even after the caller is gone: so it
// holds the caller weakly. Main thread only. Data whose callback never comes (the program
// ends first) stays listed, so it is not a leak.
class CallbackData {
 public:
  template <typename T>
  static gpointer hold(T value) {
    Base* data = new Holder<T>(std::move(value));
    pending().insert(data);
    return data;
  }

  // In the callback, once.
  template <typename T>
  static T take(gpointer data) {
    auto* base = static_cast<Base*>(data);
    pending().erase(base);
    std::unique_ptr<Holder<T>> holder(static_cast<Holder<T>*>(base));
    return std::move(holder->value);
  }

 private:
  struct Base {
    virtual ~Base() = default;
  };
  template <typename T>
  struct Holder : Base {
    explicit Holder(T v) : value(std::move(v)) {}
    T value;
  };
  static std::unordered_set<Base*>& pending() {
    static auto* data = new std::unordered_set<Base*>;
    return *data;
  }
};

}  // namespace CorlaMeetings
