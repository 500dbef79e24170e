#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace CorlaMeetings {

// A well-formed absolute URL (RFC 3986), kept as the text it was parsed from.
class Url {
 public:
  // Nothing for text that is not an absolute URL: no scheme, spaces, stray characters,
  // bad percent-escapes or non-ASCII text.
  static std::optional<Url> parse(std::string_view text);

  const std::string& absoluteString() const { return text_; }
  // As written (not lower-cased); empty when the URL has no host part.
  const std::string& host() const { return host_; }
  // Lower-cased.
  const std::string& scheme() const { return scheme_; }
  // http or https: the only links this application ever hands to the desktop.
  bool isWebLink() const { return (scheme_ == "http" || scheme_ == "https") && !host_.empty(); }

  bool operator==(const Url& other) const { return text_ == other.text_; }

 private:
  Url(std::string text, std::string scheme, std::string host)
      : text_(std::move(text)), scheme_(std::move(scheme)), host_(std::move(host)) {}

  std::string text_;
  std::string scheme_;
  std::string host_;
};

}  // namespace CorlaMeetings
