#pragma once
#include <functional>

#include "platform/Platform.h"
#include "session/Run.h"

namespace tyx {

// After the window: the library updater after a successful installation,
// then the application again in every case.
void FinishRun(Platform& platform, const Run& run, const std::function<void()>& pump);

}  // namespace tyx
