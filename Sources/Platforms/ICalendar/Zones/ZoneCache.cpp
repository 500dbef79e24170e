#include "ICalendar/Zones/ZoneCache.h"

#include <map>
#include <mutex>
#include <string>

namespace CorlaMeetings {

namespace {

constexpr std::size_t kMaxSharedNames = 512;
constexpr std::size_t kMaxSharedDefinitionBytes = std::size_t{4} << 20;

using Zones = std::map<std::string, std::shared_ptr<const EventTimeZone>, std::less<>>;  // null: no zone

struct Shared {
  std::mutex mutex;
  Zones byName;
  Zones byDefinition;
  std::size_t definitionBytes = 0;
};

Shared& shared() {
  // Never destroyed: calendars on other threads may still be parsed while the process exits.
  static Shared* instance = new Shared;
  return *instance;
}

// The zone kept under `key`, or else the one `make` makes, kept when `keep` says there is
// room. Made without the lock: two threads may make the same zone at once, and the first
// kept wins.
template <typename Make, typename Keep>
std::shared_ptr<const EventTimeZone> keptOrMade(Zones Shared::*zones, std::string_view key, const Make& make,
                                                const Keep& keep) {
  Shared& cache = shared();
  {
    std::lock_guard lock(cache.mutex);
    if (const auto found = (cache.*zones).find(key); found != (cache.*zones).end()) return found->second;
  }
  std::shared_ptr<const EventTimeZone> made = make();
  std::lock_guard lock(cache.mutex);
  if (!keep(cache)) return made;
  return (cache.*zones).emplace(std::string(key), std::move(made)).first->second;
}

}  // namespace

std::shared_ptr<const EventTimeZone> sharedZone(
    std::string_view name, const std::function<std::unique_ptr<icu::TimeZone>(std::string_view name)>& make) {
  return keptOrMade(
      &Shared::byName, name,
      [&]() -> std::shared_ptr<const EventTimeZone> {
        std::unique_ptr<icu::TimeZone> zone = make(name);
        return zone ? std::make_shared<const EventTimeZone>(std::move(zone)) : nullptr;
      },
      [](const Shared& cache) { return cache.byName.size() < kMaxSharedNames; });
}

std::shared_ptr<const EventTimeZone> sharedDefinedZone(
    const std::string& definition, const std::function<std::shared_ptr<const EventTimeZone>()>& make) {
  return keptOrMade(&Shared::byDefinition, definition, make, [&](Shared& cache) {
    if (cache.definitionBytes + definition.size() > kMaxSharedDefinitionBytes) return false;
    cache.definitionBytes += definition.size();
    return true;
  });
}

}  // namespace CorlaMeetings
