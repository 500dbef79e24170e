// Join-link detection on any bytes, as one text and as an event's URL, location and notes.
// Whatever it returns must be a link that stands in the text (or the event's own web link).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "app/CalendarEvent.h"
#include "meetings/JoinLinkDetection.h"

using namespace CorlaMeetings;
using Fuzzing::check;

namespace {

bool isHttp(const Url& url) { return url.scheme() == "http" || url.scheme() == "https"; }

// Splits the input into URL, location and notes at 0xFF bytes, a byte UTF-8 never holds, so
// the fields stay as arbitrary as the texts of a real invite. A field past the input is absent.
CalendarEvent eventFrom(std::string_view text) {
  CalendarEvent event;
  std::optional<std::string>* fields[] = {&event.URL, &event.location, &event.notes};
  for (std::size_t i = 0; i < 3; ++i) {
    const auto cut = i < 2 ? text.find('\xFF') : std::string_view::npos;
    *fields[i] = std::string(text.substr(0, cut));
    if (cut == std::string_view::npos) break;
    text.remove_prefix(cut + 1);
  }
  return event;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto text = Fuzzing::textOf(data, size);

  if (const auto link = findServiceLink(text)) {
    check(text.find(link->absoluteString()) != std::string_view::npos, "a found link stands in the text");
    check(isHttp(*link), "a service link is http(s)");
  }

  const CalendarEvent event = eventFrom(text);
  if (const auto link = detectJoinURL(event)) {
    std::string searched;
    for (const auto* field : {&event.URL, &event.location, &event.notes}) {
      if (*field) searched += **field + '\n';
    }
    const bool found = searched.find(link->absoluteString()) != std::string::npos && isHttp(*link);
    const bool ownLink = event.URL && link->absoluteString() == *event.URL && link->isWebLink();
    check(found || ownLink, "a join link is a service link of the event or its own web link");
  }
  return 0;
}
