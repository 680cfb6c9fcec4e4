#pragma once
#include "log/UpdateLog.h"
#include "platform/Platform.h"
#include "session/Run.h"

namespace tyx {

// Waits, at most about two minutes in all, for the locks a run holds until
// it ends: this user's (the staging folder and the temporary update.cab are
// his) and the application folder's, which a run of another session or
// another machine may hold. False when another run keeps one.
bool TakeRunLocks(Platform& platform, UpdateLog& log, const Run& run);

}  // namespace tyx
