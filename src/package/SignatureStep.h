#pragma once
#include "session/Session.h"

namespace tyx {

// The unpacked package must come from the maker (see CheckPackage); a refusal
// is shown and logged, and the answer is false.
bool CheckSignature(Session& session);

}  // namespace tyx
