#pragma once

#include <string>

#include "EDS/EdsClient.h"

namespace CorlaMeetings {

// Where this program's libecal module is: beside the installed program
// (bin/../lib/velto/velto-eds.so), else in the build tree it was built in.
std::string installedEdsClientModule();

// The client of the module in `file`, loaded on the first call for that file and kept for
// the life of the process; null when it cannot be loaded (the module or libecal missing,
// a module of another build), and `error` then says why.
EdsClient* loadEdsClient(const std::string& file, std::string& error);

}  // namespace CorlaMeetings
