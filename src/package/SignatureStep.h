#pragma once
#include "session/Session.h"

namespace tyx {

// The unpacked package holds exactly the files of its signed list (none to
// check for an unsigned one). A refusal is shown and logged, and the answer
// is false.
bool CheckSignature(Session& session);

}  // namespace tyx
