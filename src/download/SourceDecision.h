#pragma once
#include "window/Session.h"

namespace tyx {

// The main timer's work: reads the update type and the proxy settings, then
// runs a local update from the data folder or the web download.
void DecideSource(Session& session);
void SetReleaseSource(Session& session);
void SetBetaSource(Session& session);

}  // namespace tyx
