#include "ICalendar/Text/Utf8Text.h"

#include <unicode/utf8.h>

#include <cstdint>

namespace CorlaMeetings {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

bool isValidUtf8(std::string_view text) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  std::int32_t offset = 0;
  while (offset < length) {
    UChar32 c;
    U8_NEXT(bytes, offset, length, c);
    if (c < 0) return false;
  }
  return true;
}

}  // namespace

std::string validUtf8(std::string&& text) {
  if (isValidUtf8(text)) return std::move(text);
  return validUtf8(std::string_view(text));
}

std::string validUtf8(std::string_view text) {
  // Texts are capped far below 2 GiB by the line limit, so int32 offsets suffice.
  if (isValidUtf8(text)) return std::string(text);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  std::string result;
  result.reserve(text.size() + 16);
  std::int32_t offset = 0;
  while (offset < length) {
    const std::int32_t start = offset;
    UChar32 c;
    U8_NEXT(bytes, offset, length, c);
    if (c < 0) {
      // U8_NEXT consumes a maximal ill-formed subpart, so one U+FFFD stands for each.
      result += kReplacementCharacter;
    } else {
      result.append(text.data() + start, static_cast<std::size_t>(offset - start));
    }
  }
  return result;
}

}  // namespace CorlaMeetings
