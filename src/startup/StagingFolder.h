#pragma once
#include "log/UpdateLog.h"
#include "platform/FileSystem.h"
#include "session/Run.h"

namespace tyx {

// Empties gNewVerPath (read-only files and sub-folders too, links removed,
// never followed), or creates it.
// False, with a logged reason, when that fails: the installation would
// otherwise install whatever an earlier run left there.
bool PrepareStagingFolder(IFileSystem& files, UpdateLog& log, const Run& run);

}  // namespace tyx
