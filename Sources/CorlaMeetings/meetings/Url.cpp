#include "meetings/Url.h"

#include <uriparser/Uri.h>

#include <cstddef>

#include "meetings/PlainText.h"

namespace CorlaMeetings {

namespace {

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// uriparser refuses all of these as well; we check them ourselves first so that what
// counts as a URL (and so what we might hand to the desktop) doesn't hang on a parser
// version: only printable ASCII, and every '%' followed by two hex digits.
bool hasOnlyUrlCharacters(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c <= 0x20 || c >= 0x7F) return false;
    if (c == '%' && (i + 2 >= text.size() || !isHexDigit(text[i + 1]) || !isHexDigit(text[i + 2]))) {
      return false;
    }
  }
  return true;
}

std::string textOf(const UriTextRangeA& range) {
  if (range.first == nullptr || range.afterLast == nullptr) return {};
  return std::string(range.first, range.afterLast);
}

// uriparser allocates the path segments and query pieces it finds; they have to go
// whichever way the parse ends (it frees them itself on a syntax error, and freeing
// twice is harmless).
class ParsedUri {
 public:
  ParsedUri() = default;
  ParsedUri(const ParsedUri&) = delete;
  ParsedUri& operator=(const ParsedUri&) = delete;
  ~ParsedUri() { uriFreeUriMembersA(&uri_); }

  bool parse(std::string_view text) {
    return uriParseSingleUriExA(&uri_, text.data(), text.data() + text.size(), nullptr) == URI_SUCCESS;
  }
  const UriUriA& uri() const { return uri_; }

 private:
  UriUriA uri_{};
};

}  // namespace

std::optional<Url> Url::parse(std::string_view text) {
  if (text.empty() || !hasOnlyUrlCharacters(text)) return std::nullopt;

  ParsedUri parsed;
  if (!parsed.parse(text)) return std::nullopt;
  // A relative reference ("/path", "zoom.us/j/1") parses too, but it is no link on its own.
  if (parsed.uri().scheme.first == nullptr) return std::nullopt;

  return Url(std::string(text), asciiLowercased(textOf(parsed.uri().scheme)), textOf(parsed.uri().hostText));
}

}  // namespace CorlaMeetings
