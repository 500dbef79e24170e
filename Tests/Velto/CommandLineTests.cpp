#include <gtest/gtest.h>

#include "CommandLine.h"

namespace CorlaMeetings::Testing {
namespace {

TEST(CommandLine, ReadsModesFormatsAndRepeatedCalendars) {
  auto result = parseCommandLine({"--watch", "--format", "waybar", "--calendar", "a.ics", "--calendar=https://x/y"});
  ASSERT_TRUE(result.commandLine);
  EXPECT_EQ(result.commandLine->mode, CommandLine::Mode::watch);
  EXPECT_EQ(result.commandLine->format, CommandLine::Format::waybar);
  EXPECT_EQ(result.commandLine->calendars, (std::vector<std::string>{"a.ics", "https://x/y"}));

  auto plain = parseCommandLine({});
  ASSERT_TRUE(plain.commandLine);
  EXPECT_EQ(plain.commandLine->mode, CommandLine::Mode::automatic);
  EXPECT_TRUE(parseCommandLine({"--print", "--print"}).commandLine);
  EXPECT_TRUE(parseCommandLine({"--help"}).commandLine->help);
  EXPECT_TRUE(parseCommandLine({"--version"}).commandLine->version);
}

TEST(CommandLine, RejectsWhatItDoesNotKnow) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"--bogus"},
           {"print"},
           {"--calendar"},
           {"--calendar="},
           {"--format", "xml", "--watch"},
           {"--print", "--format", "text"},
           {"--print", "--watch"},
       }) {
    auto result = parseCommandLine(arguments);
    EXPECT_FALSE(result.commandLine) << arguments[0];
    EXPECT_FALSE(result.error.empty());
  }
}

}  // namespace
}  // namespace CorlaMeetings::Testing
