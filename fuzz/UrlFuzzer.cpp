// Url::parse on any bytes: what it accepts is what we might hand to the desktop, so besides
// not crashing it must keep the text as given, printable ASCII only, with a lower-case scheme.
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "meetings/Url.h"

using namespace CorlaMeetings;
using Fuzzing::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto text = Fuzzing::textOf(data, size);
  const auto url = Url::parse(text);
  if (!url) return 0;

  check(url->absoluteString() == text, "a URL keeps the text it was parsed from");
  for (char c : text) check(c > 0x20 && c < 0x7F, "a URL is printable ASCII");
  check(!url->scheme().empty(), "a URL has a scheme");
  for (char c : url->scheme()) check(!(c >= 'A' && c <= 'Z'), "the scheme is lower-cased");
  check(text.find(url->host()) != std::string_view::npos, "the host is part of the text");
  if (url->isWebLink()) check(url->scheme() == "http" || url->scheme() == "https", "web links are http(s)");
  return 0;
}
