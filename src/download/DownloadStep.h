#pragma once
#include "window/Session.h"

namespace tyx {

// The web update: size query, download, extraction and installation.
void DownloadUpdate(Session& session);

}  // namespace tyx
