#pragma once

#include <string>
#include <string_view>

namespace CorlaMeetings {

// Byte-level text helpers that need no Unicode tables: for protocol words (schemes, hosts,
// keys) and for untrusted text on its way to a terminal or a one-line label.

// ASCII lower and upper case; every other byte unchanged.
char asciiLowercase(char c);
std::string asciiLowercased(std::string_view text);
char asciiUppercase(char c);
std::string asciiUppercased(std::string_view text);

// Whether `text` starts with `prefix`, ASCII letters compared without regard to case.
bool startsWithAsciiCaseless(std::string_view text, std::string_view prefix);

// `text` with every C0/C1 control character (line breaks, escapes) replaced by
// `replacement`, a space unless given. The C1 controls (some terminals take U+009B as an
// escape) are 0xC2 0x80 to 0xC2 0x9F in UTF-8.
std::string singleLine(std::string_view text, char replacement = ' ');

}  // namespace CorlaMeetings
