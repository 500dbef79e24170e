#include "ICalendar/TimeZoneResolver.h"

#include <unicode/vtzone.h>

#include <cstdlib>
#include <optional>
#include <string_view>

#include "ICalendar/ParseLimits.h"
#include "ICalendar/ProblemText.h"
#include "ICalendar/SharedZones.h"
#include "ICalendar/WindowsDisplayName.h"

namespace CorlaMeetings {

namespace {

constexpr std::size_t kMaxZoneNameLength = 256;

std::string_view trimmedName(std::string_view name) {
  const auto first = name.find_first_not_of(" \t\"");
  if (first == std::string_view::npos) return {};
  const auto last = name.find_last_not_of(" \t\"");
  return name.substr(first, last - first + 1);
}

// A TZID property value with its TEXT escapes undone ("\," and the like), as the TZID
// parameters that refer to it are written.
std::string unescaped(std::string_view value) {
  std::string result;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) ++i;
    result += value[i];
  }
  return std::string(trimmedName(result));
}

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

std::string upperAscii(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

// "+0100", "-053000": a UTC offset in seconds, or nothing when it is not one a place could
// have (a day or more).
std::optional<long> parsedOffset(std::string_view value) {
  value = trimmedName(value);
  if (value.size() != 5 && value.size() != 7) return std::nullopt;
  if (value[0] != '+' && value[0] != '-') return std::nullopt;
  for (std::size_t i = 1; i < value.size(); ++i) {
    if (value[i] < '0' || value[i] > '9') return std::nullopt;
  }
  auto number = [&](std::size_t at) { return (value[at] - '0') * 10 + (value[at + 1] - '0'); };
  const long hours = number(1);
  const long minutes = number(3);
  const long seconds = value.size() == 7 ? number(5) : 0;
  if (hours > 18 || minutes > 59 || seconds > 59) return std::nullopt;
  const long offset = hours * 3600 + minutes * 60 + seconds;
  return value[0] == '-' ? -offset : offset;
}

// Why a VTIMEZONE is not used, or empty when it looks like a real zone. ICU reads only
// yearly rules anyway; this also keeps out what ICU would accept but no place has, and
// definitions without observances, which ICU accepts and then crashes on.
std::string definitionProblem(std::string_view text) {
  int observances = 0;
  int depth = 0;
  bool hasStart = false, hasOffsetTo = false, hasOffsetFrom = false;
  std::size_t position = 0;
  while (position < text.size()) {
    auto end = text.find('\n', position);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(position, end - position);
    position = end + 1;
    const auto nameEnd = line.find_first_of(";:");
    if (nameEnd == std::string_view::npos) continue;
    const std::string name = upperAscii(line.substr(0, nameEnd));
    const std::string_view value = line.substr(line.find(':') + 1);
    if (name == "BEGIN") {
      if (++depth == 2) {
        if (++observances > ParseLimits::kMaxObservances) return "too many observances";
        hasStart = hasOffsetTo = hasOffsetFrom = false;
      }
    } else if (name == "END") {
      if (depth-- == 2 && !(hasStart && hasOffsetTo && hasOffsetFrom))
        return "an observance lacks DTSTART or an offset";
    } else if (depth == 2) {
      if (name == "DTSTART") hasStart = true;
      if (name == "TZOFFSETTO" || name == "TZOFFSETFROM") {
        if (!parsedOffset(value)) return "impossible UTC offset";
        (name == "TZOFFSETTO" ? hasOffsetTo : hasOffsetFrom) = true;
      }
      if (name == "RRULE" && upperAscii(value).find("FREQ=YEARLY") == std::string::npos) {
        return "a rule that is not yearly";
      }
    }
  }
  if (observances == 0) return "no observances";
  return {};
}

std::string rootTzid(std::string_view text) {
  int depth = 0;
  std::size_t position = 0;
  while (position < text.size()) {
    auto end = text.find('\n', position);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(position, end - position);
    position = end + 1;
    const auto nameEnd = line.find_first_of(";:");
    if (nameEnd == std::string_view::npos) continue;
    const std::string name = upperAscii(line.substr(0, nameEnd));
    if (name == "BEGIN") ++depth;
    if (name == "END") --depth;
    const auto colon = line.find(':');
    if (name == "TZID" && depth == 1 && colon != std::string_view::npos) return unescaped(line.substr(colon + 1));
  }
  return {};
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
  const std::string_view name = trimmedName(tzid);
  return !name.empty() && name.size() <= kMaxZoneNameLength && zoneKnownByName(name) != nullptr;
}

TimeZoneResolver::TimeZoneResolver(const std::vector<CalendarBlock>& timeZones) {
  for (const auto& block : timeZones) {
    std::string tzid = rootTzid(block.text);
    if (!tzid.empty()) definitions_.emplace(std::move(tzid), block.text);  // the first one wins
  }
}

const EventTimeZone* TimeZoneResolver::resolve(const std::string& tzid) {
  if (const auto found = resolved_.find(tzid); found != resolved_.end()) return found->second.get();
  const std::string_view name = trimmedName(tzid);
  std::shared_ptr<const EventTimeZone> resolved;
  if (!name.empty() && name.size() <= kMaxZoneNameLength) {
    resolved = zoneKnownByName(name);
    if (!resolved) {
      std::unique_ptr<icu::TimeZone> zone = fromDefinition(std::string(name));
      if (!zone) zone = windowsDisplayNameZone(name);
      if (zone) resolved = std::make_shared<const EventTimeZone>(std::move(zone));
    }
  }
  if (!resolved) {
    problems_.push_back("time zone " + quotedForProblem(tzid) + " is unknown; its times are read as floating");
  }
  resolved_.emplace(tzid, resolved);
  return resolved.get();
}

std::unique_ptr<icu::TimeZone> TimeZoneResolver::fromDefinition(const std::string& name) {
  const auto definition = definitions_.find(name);
  if (definition == definitions_.end()) return nullptr;
  const std::string& text = definition->second;
  if (const std::string why = definitionProblem(text); !why.empty()) {
    problems_.push_back("time zone " + quotedForProblem(name) + " not used: " + why);
    return nullptr;
  }
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::VTimeZone> zone(icu::VTimeZone::createVTimeZone(
      icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size()))), status));
  // On some malformed definitions (an observance other than STANDARD or DAYLIGHT, a DTSTART
  // with parameters) ICU reports success yet leaves the zone without rules, and the first
  // question put to it crashes. Only a complete read gives the zone its ID.
  icu::UnicodeString readId;
  if (U_FAILURE(status) || !zone || zone->getID(readId).isEmpty()) {
    problems_.push_back("time zone " + quotedForProblem(name) + " not used: ICU cannot read it");
    return nullptr;
  }
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
