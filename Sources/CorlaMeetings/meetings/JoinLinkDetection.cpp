#include "meetings/JoinLinkDetection.h"

#include <re2/re2.h>

#include <string.h>

#include <array>
#include <memory>
#include <string>

#include "meetings/MeetingService.h"

namespace CorlaMeetings {

namespace {

// A link character: anything but white space, '<', '>', '"' and '\''. White space is what
// ICU's \s means (Unicode White_Space): RE2's own \s is ASCII only, so the class spells
// out \v and NEL (U+0085) and takes every separator \p{Z}, which brings in the no-break
// space, the em space, the line and paragraph separators and the rest. Invites pasted from
// word processors are full of no-break spaces, and a link must end at one.
constexpr std::string_view kLinkCharacter = R"([^\t\n\v\f\r \x{85}\p{Z}<>"'])";

// Stripped from both ends of a match: in practice the full stops, commas and closing
// parentheses of the sentence around a link.
constexpr std::string_view kLinkTrimSet = ".,)>\n\r\t ";

std::string linkPattern(const MeetingService& service) {
  std::string pattern = "https?://";
  if (!service.direct) {
    // Lets a company sub-domain (or anything else made of link characters) stand before
    // the host.
    pattern += kLinkCharacter;
    pattern += '*';
  }
  for (char c : service.host) {
    if (c == '.') pattern += '\\';
    pattern += c;
  }
  pattern += '/';
  pattern += kLinkCharacter;
  pattern += '+';
  return pattern;
}

using ServicePatterns = std::array<std::unique_ptr<const RE2>, meetingServices.size()>;

// One compiled pattern per service, in table order, made once: RE2 objects are safe to
// share between threads. RE2 runs in linear time, which is the point: notes come from
// strangers and can be megabytes of HTML. Its defaults are what the behaviour asks for:
// UTF-8, case-sensitive, leftmost-first with greedy repetition (the matches a backtracking
// engine would give for these patterns). Bytes that aren't UTF-8 match no link character;
// they end a link rather than break the search. RE2's default memory budget is ample for
// these small programs (100-odd instructions); should the DFA cache ever fill up on a
// hostile text, RE2 falls back to its NFA, which is slower but still linear.
const ServicePatterns& servicePatterns() {
  static const ServicePatterns patterns = [] {
    RE2::Options options;
    // The text is hostile and the outcome is just "no link": nothing to tell the log.
    options.set_log_errors(false);
    options.set_never_capture(true);
    ServicePatterns compiled;
    for (std::size_t i = 0; i < meetingServices.size(); ++i) {
      compiled[i] = std::make_unique<const RE2>(linkPattern(meetingServices[i]), options);
    }
    return compiled;
  }();
  return patterns;
}

std::string_view trimmedLink(std::string_view match) {
  const auto first = match.find_first_not_of(kLinkTrimSet);
  if (first == std::string_view::npos) return {};
  const auto last = match.find_last_not_of(kLinkTrimSet);
  return match.substr(first, last - first + 1);
}

// Where `part` first occurs in `text` at or after `from`. memmem, unlike string_view::find,
// does not stop at every occurrence of the first byte (a 't' or a 'z' of a host), so it
// runs at memory speed on prose.
std::size_t findFrom(std::string_view text, std::string_view part, std::size_t from) {
  const void* found = ::memmem(text.data() + from, text.size() - from, part.data(), part.size());
  return found ? static_cast<std::size_t>(static_cast<const char*>(found) - text.data()) : std::string_view::npos;
}

// A link of a service holds its host followed by '/'.
const std::string& hostPath(std::size_t service) {
  static const auto paths = [] {
    std::array<std::string, meetingServices.size()> made;
    for (std::size_t i = 0; i < meetingServices.size(); ++i) made[i] = std::string(meetingServices[i].host) + '/';
    return made;
  }();
  return paths[service];
}

// At or before the start of the run of link characters that holds `position`: just after
// the last ASCII character before it that is no link character. (A Unicode space may start
// the run later still; starting early costs only a few bytes of search.)
std::size_t runStartBefore(std::string_view text, std::size_t position) {
  const auto delimiter = text.find_last_of(" \t\n\v\f\r<>\"'", position);
  return delimiter == std::string_view::npos ? 0 : delimiter + 1;
}

}  // namespace

// Most of a search is spent by the regular expressions, which cost ten times more per byte
// than a plain search. So the plain search goes first and narrows theirs, without changing
// any result: every link holds "://" and, after it, its service's host and '/'; a text
// without them holds no link of that service, and the first match lies in or after the run
// of link characters that holds the first such host.
std::optional<Url> findServiceLink(std::string_view text) {
  const auto scheme = text.find("://");
  if (scheme == std::string_view::npos) return std::nullopt;
  const re2::StringPiece subject(text.data(), text.size());
  for (std::size_t i = 0; i < meetingServices.size(); ++i) {
    const auto host = findFrom(text, hostPath(i), scheme + 3);
    if (host == std::string_view::npos) continue;
    re2::StringPiece match;
    if (!servicePatterns()[i]->Match(subject, runStartBefore(text, host), subject.size(), RE2::UNANCHORED, &match, 1)) {
      continue;
    }
    // Only the leftmost match of a service counts: when it isn't a URL, the next service
    // has its turn.
    if (auto link = Url::parse(trimmedLink(std::string_view(match.data(), match.size())))) {
      return link;
    }
  }
  return std::nullopt;
}

std::optional<Url> detectJoinURL(const CalendarEvent& event) {
  std::string searchText;
  bool first = true;
  for (const auto* field : {&event.URL, &event.location, &event.notes}) {
    if (!field->has_value()) continue;
    if (!first) searchText += '\n';
    searchText += **field;
    first = false;
  }

  if (auto link = findServiceLink(searchText)) return link;

  // The event's own link stands in for a meeting link, but only a web link: a calendar
  // file may carry file:, javascript: or smb: links, and the Join button and the reminder
  // would hand whatever we return to the desktop's URL handler.
  if (event.URL) {
    if (auto own = Url::parse(*event.URL); own && own->isWebLink()) return own;
  }
  return std::nullopt;
}

}  // namespace CorlaMeetings
