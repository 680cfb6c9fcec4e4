#pragma once
#include <string>

#include "log/UpdateLog.h"
#include "platform/FileSystem.h"

namespace tyx {

// Undoes the installation whose unfinished journal lies in the backup
// folder, newest change first: kept files are copied back, created ones
// removed; one log line per file and a final one. A failure stops at that
// file and logs what is still in the backup folder, which is never deleted.
// True when the previous version is back whole (or nothing was unfinished).
bool RestorePreviousVersion(IFileSystem& files, UpdateLog& log, const std::string& appPath,
                            const std::string& backupFolder);

}  // namespace tyx
