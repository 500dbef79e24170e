#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ICalendar/Files/FileSignature.h"
#include "ICalendar/Files/UniqueFd.h"

namespace CorlaMeetings {

struct FileRead {
  std::optional<std::string> bytes;  // the whole file; nothing when it was not read
  std::string error;                 // why not, for messages
  FileSignature signature;           // of what was read
};

// Reads a regular file whole. Anything else (a FIFO, a device, a socket) is refused without
// blocking and without reading, and so is a file of more than `maxBytes`.
FileRead readRegularFile(const std::string& path, std::size_t maxBytes);
// The same, for `name` inside the open directory `directory`.
FileRead readRegularFileAt(int directory, const std::string& name, std::size_t maxBytes);

// The same again, handing the contents to `sink` piece by piece as they are read instead of
// keeping them: a 50 MB calendar is parsed without ever being in memory whole. What the
// sink got is the file only when the result says `complete`.
struct FileStream {
  bool complete = false;
  std::string error;  // why not, for messages
  FileSignature signature;
};
using FileSink = std::function<void(std::string_view piece)>;
// `abandon`, when given, is asked before each piece: once it says yes, the read stops.
FileStream streamRegularFileAt(int directory, const std::string& name, std::size_t maxBytes, const FileSink& sink,
                               const std::function<bool()>& abandon = {});

}  // namespace CorlaMeetings
