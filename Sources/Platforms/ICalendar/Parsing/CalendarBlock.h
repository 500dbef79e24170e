#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace CorlaMeetings {

// One top-level component of a calendar, as unfolded text ("\n" after each line).
struct CalendarBlock {
  int line = 0;  // of its BEGIN line in the file, for messages
  std::string text;
  // Of a VEVENT: its first SUMMARY, LOCATION, DESCRIPTION and URL, each as its name and its
  // value as written (unfolded, escapes not undone), when nothing in their parameters can
  // change how the value reads. They are then not in `text`, and neither are later ones of
  // the same name, which nobody reads.
  std::vector<std::pair<std::string, std::string>> plainTexts;
  // Where it lies in the text: from its BEGIN line to the start of the line after its END.
  // The bytes in between read as the same block wherever they stand in a calendar.
  std::size_t begin = 0;
  std::size_t end = 0;
};

}  // namespace CorlaMeetings
