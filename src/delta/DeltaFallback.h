#pragma once
#include <string>

#include "session/Session.h"

namespace tyx {

// Gives up the delta for the whole package: says why in one line, and leaves
// neither the delta nor what was unpacked from it.
void FallBackToPackage(Session& session, const std::string& why);

}  // namespace tyx
