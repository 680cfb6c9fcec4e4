#pragma once
#include <functional>
#include <string>
#include <vector>

#include "install/Journal.h"
#include "log/UpdateLog.h"
#include "platform/FileSystem.h"

namespace tyx {

// Undoes the installation whose unfinished record lies in the backup folder,
// newest change first: the previous versions are moved back, new files
// removed; one log line per file and a final one. Every step is a rename or
// a removal, so an interrupted restore can simply run again. A file that
// fails is tried once more after `beforeRetry`; a second failure stops there
// and logs what is still in the backup folder, which is never deleted. True
// when the previous version is back whole.
bool RestorePreviousVersion(IFileSystem& files, UpdateLog& log, const std::string& appPath,
                            const std::string& backupFolder, const std::vector<Journal::Entry>& entries,
                            const std::function<void()>& beforeRetry);

}  // namespace tyx
