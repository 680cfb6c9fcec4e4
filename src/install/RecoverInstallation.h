#pragma once
#include "session/Session.h"

namespace tyx {

// Finds the installations in the application folder that an interrupted run
// left unfinished and undoes them, newest first, with log lines, after
// asking the running product to quit. False, with a logged reason, when one
// cannot be undone or its record cannot be trusted: installing over it would
// mix three versions.
bool RecoverInstallation(Session& session);

}  // namespace tyx
