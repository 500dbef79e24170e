#include "ICalendar/Zones/WindowsDisplayNameZone.h"

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/strenum.h>
#include <unicode/tznames.h>
#include <unicode/uchar.h>

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace CorlaMeetings {

namespace {

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// "(UTC)", "(UTC+01:00)", "(GMT-05:00)": the offset in milliseconds, and what follows.
std::optional<int32_t> offsetPrefix(std::string_view& name) {
  if (!name.starts_with("(UTC") && !name.starts_with("(GMT")) return std::nullopt;
  std::string_view rest = name.substr(4);
  int32_t offset = 0;
  if (!rest.starts_with(')')) {
    if (rest.size() < 7 || (rest[0] != '+' && rest[0] != '-') || !isDigit(rest[1]) || !isDigit(rest[2]) ||
        rest[3] != ':' || !isDigit(rest[4]) || !isDigit(rest[5]) || rest[6] != ')') {
      return std::nullopt;
    }
    const int32_t hours = (rest[1] - '0') * 10 + (rest[2] - '0');
    const int32_t minutes = (rest[4] - '0') * 10 + (rest[5] - '0');
    if (hours > 14 || minutes > 59) return std::nullopt;
    offset = (hours * 60 + minutes) * 60 * 1000 * (rest[0] == '-' ? -1 : 1);
    rest = rest.substr(6);
  }
  name = rest.substr(1);
  return offset;
}

// "Canberra, Melbourne, Sydney" or "Eastern Time (US & Canada)": the places, or the name,
// without the note in brackets.
std::vector<icu::UnicodeString> namesIn(std::string_view text) {
  if (const auto bracket = text.find(" ("); bracket != std::string_view::npos) text = text.substr(0, bracket);
  std::vector<icu::UnicodeString> names;
  while (!text.empty()) {
    const auto comma = text.find(',');
    const std::string_view item = trimmed(text.substr(0, comma));
    if (!item.empty()) names.push_back(icu::UnicodeString::fromUTF8(icu::StringPiece(item.data(), item.size())));
    if (comma == std::string_view::npos) break;
    text = text.substr(comma + 1);
  }
  return names;
}

// The canonical zones whose standard offset is `offset`. ICU finds them by making every
// zone it knows, milliseconds a time, so each offset's list is made once per process; there
// are fewer than two thousand offsets offsetPrefix() accepts.
const std::vector<icu::UnicodeString>& zonesWithOffset(int32_t offset) {
  static std::mutex mutex;
  static auto* byOffset = new std::map<int32_t, std::vector<icu::UnicodeString>>;  // never destroyed: any thread
  std::lock_guard lock(mutex);
  const auto [kept, isNew] = byOffset->try_emplace(offset);
  if (!isNew) return kept->second;
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::StringEnumeration> zones(
      icu::TimeZone::createTimeZoneIDEnumeration(UCAL_ZONE_TYPE_CANONICAL_LOCATION, nullptr, &offset, status));
  if (U_FAILURE(status) || !zones) return kept->second;
  while (const icu::UnicodeString* id = zones->snext(status)) {
    if (U_FAILURE(status)) break;
    kept->second.push_back(*id);
  }
  return kept->second;
}

}  // namespace

std::unique_ptr<icu::TimeZone> windowsDisplayNameZone(std::string_view name) {
  name = trimmed(name);
  const auto offset = offsetPrefix(name);
  if (!offset) return nullptr;
  const std::vector<icu::UnicodeString>& candidates = zonesWithOffset(*offset);
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::TimeZoneNames> zoneNames(icu::TimeZoneNames::createInstance(icu::Locale::getEnglish(), status));
  if (U_FAILURE(status) || !zoneNames) return nullptr;
  const UDate now = icu::Calendar::getNow();

  for (const icu::UnicodeString& wanted : namesIn(name)) {
    for (const icu::UnicodeString& id : candidates) {
      icu::UnicodeString city;
      if (zoneNames->getExemplarLocationName(id, city).caseCompare(wanted, U_FOLD_CASE_DEFAULT) == 0) {
        return std::unique_ptr<icu::TimeZone>(icu::TimeZone::createTimeZone(id));
      }
    }
    // A name like "Eastern Time" belongs to a group of zones; the group's own zone stands
    // for it (America/New_York), not the first of its members (America/Cancun keeps
    // standard time all year).
    for (const icu::UnicodeString& id : candidates) {
      icu::UnicodeString group, groupName, reference;
      zoneNames->getMetaZoneID(id, now, group);
      if (group.isBogus() || group.isEmpty()) continue;
      zoneNames->getMetaZoneDisplayName(group, UTZNM_LONG_GENERIC, groupName);
      if (groupName.caseCompare(wanted, U_FOLD_CASE_DEFAULT) != 0) continue;
      zoneNames->getReferenceZoneID(group, "001", reference);
      if (!reference.isBogus() && !reference.isEmpty()) {
        return std::unique_ptr<icu::TimeZone>(icu::TimeZone::createTimeZone(reference));
      }
    }
  }
  return nullptr;
}

}  // namespace CorlaMeetings
