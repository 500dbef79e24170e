#pragma once

#include <string>
#include <string_view>

namespace CorlaMeetings {

// Byte-level text helpers that need no Unicode tables: for protocol words (schemes, hosts,
// keys) and for untrusted text on its way to a terminal or a one-line label.

// ASCII lower case; every other byte unchanged.
char asciiLowercase(char c);
std::string asciiLowercased(std::string_view text);

// `text` with every C0/C1 control character (line breaks, escapes) replaced by a space.
// The C1 controls (some terminals take U+009B as an escape) are 0xC2 0x80 to 0xC2 0x9F in
// UTF-8.
std::string singleLine(std::string_view text);

}  // namespace CorlaMeetings
