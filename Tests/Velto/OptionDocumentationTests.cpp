// Every option the help lists is documented in the manual page and offered by the
// completion of each shell, so that a new option cannot ship undocumented.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "CommandLine.h"

namespace CorlaMeetings {
namespace {

std::set<std::string> optionsOfTheHelp() {
  static const std::regex option("--([a-z][a-z-]*)");
  std::string help = kUsage;
  std::set<std::string> names;
  for (auto match = std::sregex_iterator(help.begin(), help.end(), option); match != std::sregex_iterator(); ++match) {
    names.insert((*match)[1]);
  }
  return names;
}

std::string dataFile(const std::string& name) {
  std::ifstream file(std::string(VELTO_DATA_DIR) + "/" + name);
  EXPECT_TRUE(file) << name;
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// `text` names the option as `prefix` + its name, roff-escaped when `roff`, and nothing
// longer ("--join" is not "--join-next").
bool names(const std::string& text, const std::string& prefix, std::string option, bool roff) {
  if (roff) option = std::regex_replace(option, std::regex("-"), "\\-");
  std::string escaped = std::regex_replace(prefix + option, std::regex(R"([\\.+*?()\[\]{}|^$-])"), R"(\$&)");
  return std::regex_search(text, std::regex(escaped + R"((?![a-z\\-]))"));
}

TEST(OptionDocumentation, EveryOptionOfTheHelpHasAnEntryInTheManualPage) {
  ASSERT_GE(optionsOfTheHelp().size(), 9u);
  // An entry's term is the line after ".TP".
  std::istringstream page(dataFile("velto.1"));
  std::string terms;
  for (std::string line, previous; std::getline(page, line); previous = line) {
    if (previous == ".TP") terms += line + "\n";
  }
  for (const std::string& option : optionsOfTheHelp()) {
    EXPECT_TRUE(names(terms, "\\-\\-", option, true)) << "--" << option << " has no entry in velto.1";
  }
}

TEST(OptionDocumentation, EveryOptionOfTheHelpIsCompletedByEachShell) {
  struct Shell {
    const char* file;
    const char* prefix;  // how the completion spells an option before its name
  };
  for (const Shell& shell : {Shell{"completions/velto.bash", "--"}, Shell{"completions/_velto", "--"},
                             Shell{"completions/velto.fish", "-l "}}) {
    std::string completion = dataFile(shell.file);
    for (const std::string& option : optionsOfTheHelp()) {
      EXPECT_TRUE(names(completion, shell.prefix, option, false)) << "--" << option << " missing from " << shell.file;
    }
  }
}

}  // namespace
}  // namespace CorlaMeetings
