#include "ICalendar/Sources/CalendarSource.h"

#include "ICalendar/Sources/CurlLibrary.h"
#include "meetings/PlainText.h"

#include <cctype>
#include <memory>
#include <optional>

namespace CorlaMeetings {

namespace {

// The scheme of "scheme://...", lower-cased; nothing when the text is not such a URL.
std::optional<std::string> urlScheme(std::string_view text) {
  std::size_t end = text.find("://");
  if (end == std::string_view::npos || end == 0) return std::nullopt;
  if (!std::isalpha(static_cast<unsigned char>(text[0]))) return std::nullopt;
  for (char c : text.substr(0, end)) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return std::nullopt;
  }
  return asciiLowercased(text.substr(0, end));
}

// URLs are parsed by libcurl, as they will be fetched; without it, none can be.
struct UrlDeleter {
  void operator()(CURLU* url) const { curlLibrary()->url_cleanup(url); }
};
using UrlHandle = std::unique_ptr<CURLU, UrlDeleter>;

std::optional<std::string> urlPart(CURLU* url, CURLUPart what, unsigned flags = 0) {
  char* part = nullptr;
  if (curlLibrary()->url_get(url, what, &part, flags) != CURLUE_OK || part == nullptr) return std::nullopt;
  std::string result(part);
  curlLibrary()->free(part);
  return result;
}

UrlHandle parsedUrl(const std::string& text) {
  const CurlLibrary* curl = curlLibrary();
  if (!curl) return nullptr;
  UrlHandle url(curl->url());
  if (!url || curl->url_set(url.get(), CURLUPART_URL, text.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
    return nullptr;
  return url;
}

// file:///a/b.ics names the path /a/b.ics; a file URL on another host is nothing we can read.
std::optional<std::string> pathOfFileUrl(std::string_view text) {
  UrlHandle url = parsedUrl(std::string(text));
  if (!url) return std::nullopt;
  std::optional<std::string> host = urlPart(url.get(), CURLUPART_HOST);
  if (host && !host->empty() && asciiLowercased(*host) != "localhost") return std::nullopt;
  return urlPart(url.get(), CURLUPART_PATH, CURLU_URLDECODE);
}

std::string withoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

CalendarSource calendarSourceFrom(std::string_view text, std::string_view home) {
  constexpr std::string_view kDesktopPrefix = "eds:";
  if (asciiLowercased(text.substr(0, kDesktopPrefix.size())) == kDesktopPrefix) {
    std::string_view name = text.substr(kDesktopPrefix.size());
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.remove_prefix(1);
    return {CalendarSource::Kind::desktop, std::string(name)};
  }
  if (std::optional<std::string> scheme = urlScheme(text)) {
    std::string_view rest = text.substr(scheme->size());
    if (*scheme == "http" || *scheme == "https") return {CalendarSource::Kind::subscription, std::string(text)};
    // webcal is https by another name, kept for "subscribe" links.
    if (*scheme == "webcal" || *scheme == "webcals") {
      return {CalendarSource::Kind::subscription, "https" + std::string(rest)};
    }
    if (*scheme == "file") {
      if (std::optional<std::string> path = pathOfFileUrl(text)) {
        return {CalendarSource::Kind::path, withoutTrailingSlashes(*path)};
      }
    }
    return {CalendarSource::Kind::unsupported, std::string(text)};
  }
  std::string path(text);
  if (!home.empty() && (text == "~" || text.starts_with("~/"))) path = std::string(home) + path.substr(1);
  return {CalendarSource::Kind::path, withoutTrailingSlashes(path)};
}

std::string describeCalendarSource(const CalendarSource& source) {
  if (source.kind == CalendarSource::Kind::path) return source.location;
  if (source.kind == CalendarSource::Kind::desktop) return "eds:" + source.location;
  std::optional<std::string> scheme = urlScheme(source.location);
  UrlHandle url = parsedUrl(source.location);
  std::optional<std::string> host = url ? urlPart(url.get(), CURLUPART_HOST) : std::nullopt;
  if (!scheme || !host) return (scheme ? *scheme : std::string("a")) + " URL that cannot be parsed";
  std::string described = *scheme + "://" + *host;
  if (std::optional<std::string> port = urlPart(url.get(), CURLUPART_PORT)) described += ":" + *port;
  std::string path = urlPart(url.get(), CURLUPART_PATH).value_or("/");
  std::size_t lastSlash = path.rfind('/');
  if (lastSlash != std::string::npos && lastSlash > 0) described += "/…";
  return described + path.substr(lastSlash == std::string::npos ? 0 : lastSlash);
}

std::string problemPrefix(const CalendarSource& source) { return "calendar " + describeCalendarSource(source) + ": "; }

}  // namespace CorlaMeetings
