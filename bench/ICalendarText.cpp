#include "ICalendarText.h"

#include <cstdio>

namespace CorlaMeetings::Bench {

using namespace std::chrono;

namespace {

std::string twoDigits(unsigned value) {
  char text[4];
  std::snprintf(text, sizeof text, "%02u", value % 100);
  return text;
}

}  // namespace

std::string dateText(sys_days day) {
  const year_month_day date(day);
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02u%02u", static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                static_cast<unsigned>(date.day()));
  return text;
}

std::string dateTimeText(sys_days day, minutes timeOfDay) {
  const auto total = day + timeOfDay;
  const auto date = floor<days>(total);
  const auto time = total - date;
  return dateText(date) + "T" + twoDigits(static_cast<unsigned>(duration_cast<hours>(time).count())) +
         twoDigits(static_cast<unsigned>((time % hours(1)) / minutes(1))) + "00";
}

void line(std::string& out, std::string_view text) {
  std::size_t begin = 0;
  std::size_t room = 75;
  while (text.size() - begin > room) {
    std::size_t cut = begin + room;
    while (cut > begin + 1 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    out.append(text.substr(begin, cut - begin));
    out += "\r\n ";
    begin = cut;
    room = 74;
  }
  out.append(text.substr(begin));
  out += "\r\n";
}

std::string escapedText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case ';': out += "\\;"; break;
      case ',': out += "\\,"; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace CorlaMeetings::Bench
