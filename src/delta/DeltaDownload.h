#pragma once
#include "session/Session.h"

namespace tyx {

enum class DeltaDownload { None, Ready, Stopped };

// When the host's descriptor lists a delta from the installed release:
// downloads it and, once it has the descriptor's size and SHA-256, puts it in
// place of update.cab (Ready, run.delta set). None when there is none or it
// cannot be had (said in one line: the whole package follows); Stopped when
// the user closed the window.
DeltaDownload DownloadDelta(Session& session);

}  // namespace tyx
