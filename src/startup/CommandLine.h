#pragma once
#include <string>

#include "session/Run.h"

namespace tyx {

// Fills gCmdLine and the four fields (data folder, application folder,
// executable, channel) from the command line's arguments.
void ReadCommandLine(const std::string& arguments, Run& run);

}  // namespace tyx
