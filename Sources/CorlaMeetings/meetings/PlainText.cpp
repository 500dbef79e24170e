#include "meetings/PlainText.h"

namespace CorlaMeetings {

char asciiLowercase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string asciiLowercased(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = asciiLowercase(c);
  return result;
}

std::string singleLine(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    bool c1 = c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
              static_cast<unsigned char>(text[i + 1]) <= 0x9F;
    if (c < 0x20 || c == 0x7F) {
      line += ' ';
    } else if (c1) {
      line += ' ';
      ++i;
    } else {
      line += text[i];
    }
  }
  return line;
}

}  // namespace CorlaMeetings
