#pragma once
#include "session/Session.h"

namespace tyx {

// The package must be the maker's release for this product and channel (a
// release also serves the beta channel), not older than the installed one.
// Once a signed release is installed in the folder, an unsigned package is
// refused there, whatever the build allows. A refusal is shown and logged,
// and the answer is false.
bool CheckRelease(Session& session);

}  // namespace tyx
