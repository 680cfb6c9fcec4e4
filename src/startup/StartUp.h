#pragma once
#include <optional>

#include "log/UpdateLog.h"
#include "platform/Platform.h"
#include "session/Run.h"

namespace tyx {

// Reads the command line, identifies the product and settles the folders and
// registry keys. Nothing when identification failed: the reason is logged and
// the program must end without a window.
std::optional<Run> StartUp(Platform& platform, UpdateLog& log);

}  // namespace tyx
