#include "meetings/PlainText.h"

namespace CorlaMeetings {

char asciiLowercase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string asciiLowercased(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = asciiLowercase(c);
  return result;
}

char asciiUppercase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string asciiUppercased(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = asciiUppercase(c);
  return result;
}

bool startsWithAsciiCaseless(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (asciiLowercase(text[i]) != asciiLowercase(prefix[i])) return false;
  }
  return true;
}

std::string singleLine(std::string_view text, char replacement) {
  std::string line;
  line.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    bool c1 = c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
              static_cast<unsigned char>(text[i + 1]) <= 0x9F;
    if (c < 0x20 || c == 0x7F) {
      line += replacement;
    } else if (c1) {
      line += replacement;
      ++i;
    } else {
      line += text[i];
    }
  }
  return line;
}

}  // namespace CorlaMeetings
