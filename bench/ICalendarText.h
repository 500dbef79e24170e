#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace CorlaMeetings::Bench {

// 20260610
std::string dateText(std::chrono::sys_days day);
// 20260610T143000, the time of day after midnight of `day`
std::string dateTimeText(std::chrono::sys_days day, std::chrono::minutes timeOfDay);
// Appends a content line, folded at 75 octets without splitting a UTF-8 sequence.
void line(std::string& out, std::string_view text);
// A TEXT value: backslash, semicolon, comma and line feed escaped.
std::string escapedText(std::string_view text);

}  // namespace CorlaMeetings::Bench
