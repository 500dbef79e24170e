#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace CorlaMeetings {

// Problem lines quote file names, URLs, calendar names and parser findings, which strangers
// can choose: the line as it may be printed, with no terminal control sequences and at most
// a thousand bytes (cut at a character boundary, marked with "…").
std::string printableProblemLine(std::string_view line);

// The line made printable, to `sink`, or when it is unset to standard error after "velto: ".
void reportProblemLine(std::string_view line, const std::function<void(std::string_view line)>& sink);

}  // namespace CorlaMeetings
