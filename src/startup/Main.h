#pragma once
#include <functional>

#include "log/UpdateLog.h"
#include "platform/Platform.h"
#include "startup/Run.h"

namespace tyx {

// The whole run: start-up, the update window, the end of the run. Returns the
// process's exit code.
int Main(Platform& platform, const std::function<void(Run&, UpdateLog&)>& showMainForm);

}  // namespace tyx
