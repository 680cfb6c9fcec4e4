#pragma once
#include "session/Session.h"

namespace tyx {

// Update type 2 keeps the checked package for the other installations in the
// data folder: copied there under a temporary name, then renamed over the old
// one, so they never take a part or a package that was refused. A failure is
// shown and the update goes on without it.
void SharePackage(Session& session);

}  // namespace tyx
