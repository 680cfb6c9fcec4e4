#pragma once
#include <cstdint>

#include "cabinet/CabFile.h"
#include "session/Session.h"

namespace tyx {

// Unpacks gWorkPath\update.cab, and a nested pack.cab whose listing agrees
// with the signed list, into the staging folder. 0 on success, 1 on failure
// (shown, logged, kept in gLastError) or refusal.
uint8_t ExtractUpdate(Session& session);

}  // namespace tyx
