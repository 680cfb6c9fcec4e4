#pragma once
#include <cstdint>

#include "cabinet/CabFile.h"
#include "session/Session.h"

namespace tyx {

// Unpacks gTempPath\update.cab, and a nested pack.cab, into the staging
// folder. 0 on success, 1 on failure (shown, logged, kept in gLastError).
uint8_t ExtractUpdate(Session& session);

}  // namespace tyx
