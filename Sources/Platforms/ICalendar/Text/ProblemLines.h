#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace CorlaMeetings {

// Problem lines quote file names, URLs, calendar names and parser findings, which strangers
// can choose: the line as it may be printed, with no terminal control sequences and at most
// a thousand bytes (cut at a character boundary, marked with "…").
std::string printableProblemLine(std::string_view line);

// The line made printable, to `sink`, or when it is unset to standard error after "velto: ".
void reportProblemLine(std::string_view line, const std::function<void(std::string_view line)>& sink);

// Untrusted text (a UID, a zone name) to be quoted inside a problem line: printable ASCII
// only, in quotes, at most a few dozen characters.
std::string quotedForProblem(std::string_view text);

// Appends a parser's problem lines, each after `prefix`, at most `limit` of them and then a
// count of the rest: a broken file may have thousands.
void appendParseProblems(const std::vector<std::string>& parseProblems, std::string_view prefix, std::size_t limit,
                         std::vector<std::string>& out);

}  // namespace CorlaMeetings
