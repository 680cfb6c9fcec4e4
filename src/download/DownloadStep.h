#pragma once
#include <cstdint>
#include <string>

#include "session/Session.h"

namespace tyx {

// The web download: size query, then update.cab into gWorkPath. True once it
// is there; a failure is shown and leaves no package behind. Does nothing
// while mNewVerType is unset.
bool DownloadUpdate(Session& session);

// The host's file `name` (beside update.cab) into `destination`, shown and
// logged, directly or through the proxy; GetFile's answer.
uint8_t DownloadFromHost(Session& session, const std::string& name, const std::string& destination, int32_t size);

}  // namespace tyx
