// velto: reads the command line and hands over to a front end.

#include <iostream>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "FrontEnds.h"
#include "TimeLocale.h"

int main(int argc, char** argv) {
  using namespace CorlaMeetings;
  useTimeLocaleOfEnvironment();
  std::vector<std::string> arguments(argv + 1, argv + argc);
  CommandLineResult parsed = parseCommandLine(arguments);
  if (!parsed.commandLine) {
    std::cerr << "velto: " << parsed.error << "\n\n" << kUsage;
    return 2;
  }
  const CommandLine& line = *parsed.commandLine;
  if (line.help) {
    std::cout << kUsage;
    return 0;
  }
  if (line.version) {
    std::cout << "velto " << VELTO_VERSION << "\n";
    return 0;
  }
  switch (line.mode) {
    case CommandLine::Mode::joinNext:
    case CommandLine::Mode::refresh: return runRemoteCommand(line, argc, argv);
    case CommandLine::Mode::tray: return runTrayFrontEnd(line, argc, argv);
    case CommandLine::Mode::automatic:
      if (hasGraphicalSession()) return runTrayFrontEnd(line, argc, argv);
      return runTerminalFrontEnd(line, argc, argv);
    case CommandLine::Mode::print:
    case CommandLine::Mode::watch: return runTerminalFrontEnd(line, argc, argv);
  }
  return 2;
}
