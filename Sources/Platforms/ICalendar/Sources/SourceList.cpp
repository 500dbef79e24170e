#include "ICalendar/Sources/SourceList.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <utility>

#include "ICalendar/Sources/SourceReader.h"

namespace CorlaMeetings {

namespace {

// A configuration file is a few lines; anything bigger is not one.
constexpr std::size_t kMaxConfigurationBytes = 1 << 20;

std::string_view trimmed(std::string_view text) {
  constexpr std::string_view kSpace = " \t\r\v\f";
  std::size_t first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

std::vector<std::string> entriesOf(std::string_view file) {
  std::vector<std::string> entries;
  while (!file.empty()) {
    std::size_t end = file.find('\n');
    std::string_view line = trimmed(file.substr(0, end));
    file = end == std::string_view::npos ? std::string_view() : file.substr(end + 1);
    if (!line.empty() && line.front() != '#') entries.emplace_back(line);
  }
  return entries;
}

// $name when it is set to an absolute path, else $HOME/fallback; nothing without a home.
std::optional<std::string> xdgDirectory(const SourceListEnvironment& environment, const std::string& name,
                                        const std::string& fallback, const std::string& home) {
  std::optional<std::string> value = environment.variable(name);
  if (value && value->starts_with('/')) return value;
  if (home.empty()) return std::nullopt;
  return home + "/" + fallback;
}

std::vector<CalendarSource> sourcesFrom(const std::vector<std::string>& entries, const std::string& home) {
  std::vector<CalendarSource> sources;
  for (const std::string& entry : entries) {
    std::string_view text = trimmed(entry);
    if (text.empty()) continue;
    CalendarSource source = calendarSourceFrom(text, home);
    if (std::find(sources.begin(), sources.end(), source) == sources.end()) sources.push_back(std::move(source));
  }
  return sources;
}

}  // namespace

std::vector<CalendarSource> resolveSourceList(const std::vector<std::string>& options,
                                              const SourceListEnvironment& environment) {
  std::string home = environment.variable("HOME").value_or("");
  while (home.size() > 1 && home.back() == '/') home.pop_back();
  if (!options.empty()) return sourcesFrom(options, home);

  if (std::optional<std::string> config = xdgDirectory(environment, "XDG_CONFIG_HOME", ".config", home)) {
    if (std::optional<std::string> file = environment.readFile(*config + "/velto/calendars")) {
      return sourcesFrom(entriesOf(*file), home);
    }
  }
  std::vector<std::string> defaults;
  if (environment.desktopCalendars && environment.desktopCalendars()) defaults.emplace_back("eds:");
  if (std::optional<std::string> data = xdgDirectory(environment, "XDG_DATA_HOME", ".local/share", home)) {
    defaults.push_back(*data + "/velto/calendars");
  }
  return sourcesFrom(defaults, home);
}

std::function<std::vector<CalendarSource>()> systemSourceList(std::vector<std::string> options,
                                                              std::function<bool()> desktopCalendars) {
  // Read once, here: the environment is the process's and getenv is unsafe next to setenv.
  std::map<std::string, std::string> variables;
  for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
    if (const char* value = std::getenv(name)) variables.emplace(name, value);
  }
  return
      [options = std::move(options), variables = std::move(variables), desktopCalendars = std::move(desktopCalendars)] {
        SourceListEnvironment environment{
            .variable = [&](const std::string& name) -> std::optional<std::string> {
              auto found = variables.find(name);
              if (found == variables.end()) return std::nullopt;
              return found->second;
            },
            .readFile = [](const std::string& path) -> std::optional<std::string> {
              return readRegularFile(path, kMaxConfigurationBytes).bytes;
            },
            .desktopCalendars = desktopCalendars,
        };
        return resolveSourceList(options, environment);
      };
}

}  // namespace CorlaMeetings
