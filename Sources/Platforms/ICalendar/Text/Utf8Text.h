#pragma once

#include <string>
#include <string_view>

namespace CorlaMeetings {

// `text` with every ill-formed UTF-8 sequence replaced by U+FFFD, so that what leaves the
// adapter is valid UTF-8 whatever the file held (Latin-1 exports, cut lines, fuzz).
std::string validUtf8(std::string_view text);
// The same, keeping the string itself when it is valid already (most are): no copy.
std::string validUtf8(std::string&& text);

}  // namespace CorlaMeetings
