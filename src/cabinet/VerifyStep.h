#pragma once
#include "session/Session.h"

namespace tyx {

// The package must hold the product's build for this Windows and no other
// product's; else the user is told, NEWVER is reset to "0" and the answer is
// false.
bool VerifyUpdate(Session& session);

}  // namespace tyx
