#pragma once

#include <string>
#include <string_view>

namespace CorlaMeetings {

// `text` with every ill-formed UTF-8 sequence replaced by U+FFFD, so that what leaves the
// adapter is valid UTF-8 whatever the file held (Latin-1 exports, cut lines, fuzz).
std::string validUtf8(std::string_view text);

}  // namespace CorlaMeetings
