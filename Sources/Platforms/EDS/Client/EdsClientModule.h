#pragma once

#include <string>

#include "EDS/Client/EdsClient.h"

namespace CorlaMeetings {

// Where this program's libecal module is: in the build tree for a program run from there,
// else beside the installed program (bin/../lib/velto/velto-eds.so).
std::string installedEdsClientModule();

// The client of the module in `file`, loaded on the first call for that file and kept for
// the life of the process; null when it cannot be loaded (the module or libecal missing,
// a module of another build), and `error` then says why.
EdsClient* loadEdsClient(const std::string& file, std::string& error);

}  // namespace CorlaMeetings
