#pragma once
#include "platform/Platform.h"
#include "platform/Window.h"

namespace tyx {

// The whole run: start-up, the update window, the end of the run. Returns the
// process's exit code.
int Main(Platform& platform, IWindow& window);

}  // namespace tyx
