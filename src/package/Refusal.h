#pragma once
#include <string>

#include "session/Session.h"

namespace tyx {

// Shows and logs why the package is not installed; false, for the step to return.
bool RefusePackage(Session& session, const std::string& refusal);

}  // namespace tyx
