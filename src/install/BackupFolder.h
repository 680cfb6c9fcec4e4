#pragma once
#include <string>

#include "platform/SystemInfo.h"
#include "session/Session.h"

namespace tyx {

// gAppPath\OldVer\yymmddhhmmss for the given time.
std::string BackupFolderName(const std::string& appPath, const LocalTime& t);
// Creates OldVer and a time-stamped folder below it that no earlier run
// used, waiting (the window kept alive) for the next second when the
// current one is taken. Throws when it cannot be made: the record takes
// a file in it for the previous version.
std::string CreateBackupFolder(Session& session, const std::string& appPath);

}  // namespace tyx
