#pragma once
#include "session/Session.h"

namespace tyx {

enum class UpdateSource { Local, Web };

// Reads the update type and the proxy settings; for a web update also sets
// the web source by the channel.
UpdateSource DecideSource(Session& session);
// Set mHost and mPath from the product's release or beta folder.
void SetReleaseSource(Session& session);
void SetBetaSource(Session& session);

}  // namespace tyx
