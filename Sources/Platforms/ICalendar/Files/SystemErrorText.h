#pragma once

#include <string>
#include <system_error>

namespace CorlaMeetings {

// The system's words for an errno value ("No such file or directory"), for problem lines.
inline std::string systemErrorText(int error) { return std::system_category().message(error); }

}  // namespace CorlaMeetings
