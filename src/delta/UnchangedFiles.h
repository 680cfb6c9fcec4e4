#pragma once
#include "session/Session.h"

namespace tyx {

// Completes the staging folder unpacked from a delta with the files the delta
// does not carry: each copied from the application folder and checked against
// the signed list. False, having fallen back to the whole package, when one
// is missing or differs there.
bool TakeUnchangedFiles(Session& session);

}  // namespace tyx
