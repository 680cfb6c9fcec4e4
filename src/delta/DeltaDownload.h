#pragma once
#include "session/Session.h"

namespace tyx {

// What became of a delta: taken (Used), given up for the whole package
// (NotUsed), or stopped by the user closing the window.
enum class DeltaUse { NotUsed, Used, Stopped };

// When the host's descriptor lists a delta from the installed release:
// downloads it and, once it has the descriptor's size and SHA-256, puts it in
// place of update.cab (Used, run.delta set). NotUsed when there is none or it
// cannot be had (said in one line: the whole package follows).
DeltaUse DownloadDelta(Session& session);

}  // namespace tyx
