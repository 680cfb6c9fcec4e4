#pragma once
#include "session/Session.h"

namespace tyx {

// The web download: size query, then update.cab into gWorkPath. True once it
// is there; a failure is shown and leaves no package behind. Does nothing
// while mNewVerType is unset.
bool DownloadUpdate(Session& session);

}  // namespace tyx
