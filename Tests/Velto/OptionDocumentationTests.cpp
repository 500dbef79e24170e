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

namespace CorlaMeetings::Testing {
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

// `text` names the option as `prefix` + its name, roff-escaped when `roff`, followed by what
// matches `after` (by default nothing longer: "--join" is not "--join-next").
bool names(const std::string& text, const std::string& prefix, std::string option, bool roff,
           const std::string& after = R"((?![a-z\\-]))") {
  if (roff) option = std::regex_replace(option, std::regex("-"), "\\-");
  std::string escaped = std::regex_replace(prefix + option, std::regex(R"([\\.+*?()\[\]{}|^$-])"), R"(\$&)");
  return std::regex_search(text, std::regex(escaped + after));
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
  // Where each shell offers an option, not merely where it mentions one: bash's list of words
  // (not a `case` label), a zsh entry with its description (not another entry's exclusions),
  // a fish `-l` line.
  struct Shell {
    const char* file;
    const char* prefix;
    const char* after;
  };
  for (const Shell& shell :
       {Shell{"completions/velto.bash", "--", R"((?=[\s']))"}, Shell{"completions/_velto", "--", R"((?==?\[|\}))"},
        Shell{"completions/velto.fish", "-l ", R"((?![a-z-]))"}}) {
    std::string completion = dataFile(shell.file);
    for (const std::string& option : optionsOfTheHelp()) {
      EXPECT_TRUE(names(completion, shell.prefix, option, false, shell.after))
          << "--" << option << " is not offered by " << shell.file;
    }
  }
}

}  // namespace
}  // namespace CorlaMeetings::Testing
