#include "ICalendar/Zones/TimeZoneResolver.h"

#include <string_view>

#include "ICalendar/Parsing/CalendarBlock.h"
#include "ICalendar/Parsing/ParseLimits.h"
#include "ICalendar/Text/ProblemLines.h"
#include "ICalendar/Zones/DefinedTimeZone.h"
#include "ICalendar/Zones/WindowsDisplayNameZone.h"
#include "ICalendar/Zones/ZoneCache.h"
#include "ICalendar/Zones/ZoneDefinition.h"

namespace CorlaMeetings {

namespace {

constexpr std::size_t kMaxZoneNameLength = 256;

std::unique_ptr<icu::TimeZone> createZone(const icu::UnicodeString& id) {
  return std::unique_ptr<icu::TimeZone>(icu::TimeZone::createTimeZone(id));
}

// An IANA name (or an alias, or a custom "GMT+01:00") that ICU knows.
std::unique_ptr<icu::TimeZone> icuZone(std::string_view name, bool systemOnly) {
  const auto id = icu::UnicodeString::fromUTF8(icu::StringPiece(name.data(), static_cast<int32_t>(name.size())));
  icu::UnicodeString canonical;
  UBool isSystem = false;
  UErrorCode status = U_ZERO_ERROR;
  icu::TimeZone::getCanonicalID(id, canonical, isSystem, status);
  if (U_FAILURE(status) || canonical.isEmpty() || (systemOnly && !isSystem)) return nullptr;
  return createZone(canonical);
}

std::unique_ptr<icu::TimeZone> windowsZone(std::string_view name) {
  const auto id = icu::UnicodeString::fromUTF8(icu::StringPiece(name.data(), static_cast<int32_t>(name.size())));
  icu::UnicodeString iana;
  UErrorCode status = U_ZERO_ERROR;
  icu::TimeZone::getIDForWindowsID(id, nullptr, iana, status);
  if (U_FAILURE(status) || iana.isEmpty()) return nullptr;
  return createZone(iana);
}

// "/mozilla.org/20050126_1/Europe/Berlin", "/freeassociation.sourceforge.net/Tzfile/...":
// the first tail after a slash that is an IANA name.
std::unique_ptr<icu::TimeZone> prefixedZone(std::string_view name) {
  if (!name.starts_with('/')) return nullptr;
  for (auto slash = name.find('/', 1); slash != std::string_view::npos; slash = name.find('/', slash + 1)) {
    if (auto zone = icuZone(name.substr(slash + 1), true)) return zone;
  }
  return nullptr;
}

// What ICU knows by name depends on the name alone: shared by every calendar.
std::shared_ptr<const EventTimeZone> zoneKnownByName(std::string_view name) {
  return sharedZone(name, [](std::string_view known) {
    std::unique_ptr<icu::TimeZone> zone = icuZone(known, false);
    if (!zone) zone = windowsZone(known);
    if (!zone) zone = prefixedZone(known);
    return zone;
  });
}

}  // namespace

bool TimeZoneResolver::knowsByName(const std::string& tzid) {
  const std::string_view name = trimmedZoneName(tzid);
  return !name.empty() && name.size() <= kMaxZoneNameLength && zoneKnownByName(name) != nullptr;
}

TimeZoneResolver::TimeZoneResolver(const std::vector<CalendarBlock>& timeZones)
    : onsetBudget_(ParseLimits::kMaxZoneOnsetsPerCalendar) {
  for (const auto& block : timeZones) {
    std::string tzid = definedZoneId(block.text);
    if (!tzid.empty()) definitions_.emplace(std::move(tzid), block.text);  // the first one wins
  }
}

const EventTimeZone* TimeZoneResolver::resolve(const std::string& tzid) {
  if (const auto found = resolved_.find(tzid); found != resolved_.end()) return found->second.get();
  const std::string_view name = trimmedZoneName(tzid);
  std::shared_ptr<const EventTimeZone> resolved;
  if (!name.empty() && name.size() <= kMaxZoneNameLength) {
    resolved = zoneKnownByName(name);
    if (!resolved) resolved = fromDefinition(std::string(name));
    if (!resolved) {
      if (std::unique_ptr<icu::TimeZone> zone = windowsDisplayNameZone(name))
        resolved = std::make_shared<const EventTimeZone>(std::move(zone));
    }
  }
  if (!resolved) {
    problems_.push_back("time zone " + quotedForProblem(tzid) + " is unknown; its times are read as floating");
  }
  resolved_.emplace(tzid, resolved);
  return resolved.get();
}

std::shared_ptr<const EventTimeZone> TimeZoneResolver::fromDefinition(const std::string& name) {
  const auto definition = definitions_.find(name);
  if (definition == definitions_.end()) return nullptr;
  const std::string& text = definition->second;
  auto refuse = [&](const std::string& why) {
    problems_.push_back("time zone " + quotedForProblem(name) + " not used: " + why);
    return nullptr;
  };
  const ZoneDefinitionCheck check = checkZoneDefinition(text);
  if (!check.problem.empty()) return refuse(check.problem);
  if (check.onsets > onsetBudget_) return refuse("the calendar's zones change their clocks too often");
  onsetBudget_ -= check.onsets;
  auto zone = sharedDefinedZone(text, [&]() -> std::shared_ptr<const EventTimeZone> {
    std::unique_ptr<DefinedTimeZone> defined = DefinedTimeZone::read(text);
    return defined ? std::make_shared<const EventTimeZone>(std::move(defined)) : nullptr;
  });
  if (!zone) return refuse("libical cannot read all of it");
  return zone;
}

std::vector<std::shared_ptr<const EventTimeZone>> TimeZoneResolver::zones() const {
  std::vector<std::shared_ptr<const EventTimeZone>> zones;
  for (const auto& [name, zone] : resolved_) {
    if (zone) zones.push_back(zone);
  }
  return zones;
}

}  // namespace CorlaMeetings
