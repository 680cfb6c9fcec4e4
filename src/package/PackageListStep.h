#pragma once
#include "session/Session.h"

namespace tyx {

// Before the package is unpacked: its update.inf (and TyxRelease.inf) alone,
// the signature checked and kept as the run's signed list, and update.cab's
// listing held against it. True for a package without update.inf; whether
// that may be installed is the release check's to say. A refusal is shown
// and logged, and the answer is false.
bool CheckPackageList(Session& session);

}  // namespace tyx
