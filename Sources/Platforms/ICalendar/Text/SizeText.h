#pragma once

#include <cstddef>
#include <string>

namespace CorlaMeetings {

// "64 MiB", or a count of bytes when that is not a whole number of MiB: a limit as messages
// name it.
std::string sizeText(std::size_t bytes);

}  // namespace CorlaMeetings
