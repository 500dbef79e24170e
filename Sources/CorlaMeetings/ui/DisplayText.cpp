#include "ui/DisplayText.h"

#include <unicode/brkiter.h>
#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

namespace CorlaMeetings {

namespace {

// Malformed UTF-8 (titles come from strangers) turns into U+FFFD on the way in; ICU
// lengths are 32-bit, so text beyond that is cut rather than wrapped.
icu::UnicodeString toUnicode(std::string_view text) {
  const auto length = std::min<std::size_t>(text.size(), std::numeric_limits<int32_t>::max());
  return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(length)));
}

std::string toUtf8(const icu::UnicodeString& text) {
  std::string result;
  text.toUTF8String(result);
  return result;
}

UDate toUDate(Instant t) { return static_cast<UDate>(t.time_since_epoch().count()) / 1000; }

std::string formatted(const icu::DateFormat& format, Instant t) {
  icu::UnicodeString text;
  format.format(toUDate(t), text);
  return toUtf8(text);
}

std::unique_ptr<icu::BreakIterator> characterBreaks(const icu::UnicodeString& text) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::BreakIterator> breaks(
      icu::BreakIterator::createCharacterInstance(icu::Locale::getDefault(), status));
  if (U_FAILURE(status) || !breaks) return nullptr;
  breaks->setText(text);
  return breaks;
}

// Every occurrence of `pattern`, left to right in one pass: what the removal leaves behind
// is not searched again.
std::string removingAll(std::string text, std::string_view pattern) {
  std::string result;
  std::size_t from = 0;
  for (std::size_t found; (found = text.find(pattern, from)) != std::string::npos; from = found + pattern.size()) {
    result.append(text, from, found - from);
  }
  result.append(text, from);
  return result;
}

// The user's short time format. Making one costs ICU tens of microseconds and a menu shows
// dozens of times, so it is kept (per thread: a formatter is not safe to share) and made
// again only when the zone or the locale it was made for is no longer the default.
const icu::DateFormat* shortTimeFormat() {
  struct Kept {
    std::string madeFor;
    std::unique_ptr<icu::DateFormat> format;
  };
  thread_local Kept kept;
  std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createDefault());
  icu::UnicodeString zoneId;
  std::string madeFor;
  zone->getID(zoneId).toUTF8String(madeFor);
  madeFor += '|';
  madeFor += icu::Locale::getDefault().getName();
  if (!kept.format || kept.madeFor != madeFor) {
    kept.format.reset(icu::DateFormat::createTimeInstance(icu::DateFormat::kShort));
    kept.madeFor = std::move(madeFor);
  }
  return kept.format.get();
}

}  // namespace

std::string timeRange(const CalendarEvent& event) {
  const icu::DateFormat* format = shortTimeFormat();
  if (!format) return {};
  return formatted(*format, event.startDate) + "-" + formatted(*format, event.endDate);
}

std::string startsInText(Duration untilStart) {
  if (untilStart < std::chrono::minutes(1)) return "Starts now";
  const auto minutes = std::chrono::floor<std::chrono::minutes>(untilStart).count();
  if (minutes < 60) return "In " + std::to_string(minutes) + "m";
  return "In " + std::to_string(minutes / 60) + "h " + std::to_string(minutes % 60) + "m";
}

std::string dayHeading(Instant day) {
  UErrorCode status = U_ZERO_ERROR;
  icu::SimpleDateFormat format(icu::UnicodeString(u"EEE, MMM d"), icu::Locale::getDefault(), status);
  if (U_FAILURE(status)) return {};
  return formatted(format, day);
}

std::string trimmingWhitespace(std::string_view text) {
  const icu::UnicodeString unicode = toUnicode(text);
  // White_Space already holds every line break (LF, VT, FF, CR, NEL, LS, PS).
  int32_t start = 0;
  int32_t end = unicode.length();
  while (start < end && u_isUWhiteSpace(unicode.char32At(start))) start = unicode.moveIndex32(start, 1);
  while (end > start && u_isUWhiteSpace(unicode.char32At(unicode.moveIndex32(end, -1)))) {
    end = unicode.moveIndex32(end, -1);
  }
  return toUtf8(unicode.tempSubStringBetween(start, end));
}

std::size_t characterCount(std::string_view text) {
  const icu::UnicodeString unicode = toUnicode(text);
  auto breaks = characterBreaks(unicode);
  if (!breaks) return static_cast<std::size_t>(unicode.countChar32());
  std::size_t count = 0;
  for (int32_t at = breaks->next(); at != icu::BreakIterator::DONE; at = breaks->next()) ++count;
  return count;
}

std::string truncatedWithEllipsis(std::string_view text, std::size_t limit) {
  const icu::UnicodeString unicode = toUnicode(text);
  auto breaks = characterBreaks(unicode);
  if (!breaks) return std::string(text);
  // Find where the (limit - 1)th character ends, and stop as soon as the text proves longer
  // than `limit`: a huge title is not walked to its end.
  int32_t cut = 0;
  std::size_t count = 0;
  for (int32_t at = breaks->next(); at != icu::BreakIterator::DONE; at = breaks->next()) {
    ++count;
    if (count + 1 == limit) cut = at;
    if (count > limit) {
      // No room even for the ellipsis itself.
      if (limit == 0) return {};
      return toUtf8(unicode.tempSubString(0, cut)) + "\u2026";
    }
  }
  return std::string(text);
}

std::string cleanedMeetingName(std::string_view title, std::size_t limit) {
  std::string name = removingAll(std::string(title), "Canceled:");
  name = removingAll(std::move(name), "Cancelled:");
  return truncatedWithEllipsis(trimmingWhitespace(name), limit);
}

}  // namespace CorlaMeetings
