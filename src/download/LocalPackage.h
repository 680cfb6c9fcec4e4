#pragma once
#include "session/Session.h"

namespace tyx {

// Copies the shared update.cab from the data folder to gWorkPath, removing
// a stale one first. False, with the reason shown and logged, when there is
// nothing to extract.
bool CopyLocalPackage(Session& session);

}  // namespace tyx
