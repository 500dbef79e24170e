#include "ICalendar/SharedZones.h"

#include <map>
#include <mutex>
#include <string>

namespace CorlaMeetings {

namespace {

constexpr std::size_t kMaxSharedNames = 512;

struct Shared {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<const EventTimeZone>, std::less<>> zones;  // null: ICU knows none
};

Shared& shared() {
  // Never destroyed: calendars on other threads may still be parsed while the process exits.
  static Shared* instance = new Shared;
  return *instance;
}

}  // namespace

std::shared_ptr<const EventTimeZone> sharedZone(
    std::string_view name, const std::function<std::unique_ptr<icu::TimeZone>(std::string_view name)>& make) {
  Shared& cache = shared();
  {
    std::lock_guard lock(cache.mutex);
    if (const auto found = cache.zones.find(name); found != cache.zones.end()) return found->second;
  }
  // Made without the lock: two threads may make the same zone at once, and the first kept wins.
  std::unique_ptr<icu::TimeZone> zone = make(name);
  std::shared_ptr<const EventTimeZone> made = zone ? std::make_shared<const EventTimeZone>(std::move(zone)) : nullptr;
  std::lock_guard lock(cache.mutex);
  if (cache.zones.size() >= kMaxSharedNames) return made;
  return cache.zones.emplace(std::string(name), std::move(made)).first->second;
}

}  // namespace CorlaMeetings
